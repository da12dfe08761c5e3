// Linked into each DLL directly (not from a library), so that it replaces
// the runtime's verbose terminate handler: that one prints a demangled type
// name to a console the host does not have, and its demangler alone adds
// some 50 KB to the DLL.
#include <cstdlib>

namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
