#include "standin/command_bar_store.h"
namespace standin {
struct BarStoreState {};
CommandBarStore::CommandBarStore() : state_(std::make_shared<BarStoreState>()) {}
CommandBarStore::~CommandBarStore() = default;
}
