#include "zarvik/win/library.h"

#include "zarvik/win/registry/win_registry.h"

namespace zarvik::win {
namespace {

struct Ports {
  host::com::HostGlobalsSlot application;
  WinAdvapi32 advapi32;
  WinAnsiCodePage codePage;
  LibraryContext context{application, advapi32, codePage};
};

Ports& ThePorts() {
  static Ports ports;
  return ports;
}

}  // namespace

const LibraryContext& Library() { return ThePorts().context; }

host::com::HostGlobalsSlot& Globals() { return ThePorts().application; }

}  // namespace zarvik::win
