#include "standin/message_boxes.h"
#include <stdexcept>
namespace standin {
std::int32_t ScriptedMessageBoxes::MsgBox(const host::Text&, std::int32_t, const host::Text&) { throw std::logic_error("not yet"); }
void ScriptedMessageBoxes::Answer(std::int32_t) { throw std::logic_error("not yet"); }
}
