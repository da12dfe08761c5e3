#pragma once
// The file the to-do list goes to, never a page nor a file of the author's
// that is not an earlier list, and comes back from.
#include <string>
#include <string_view>

namespace audit {

// Throws host::Error saying why the list must not go to `path`: it has a
// page's name (or is a link to one), or it is a file whose first line is not
// a to-do list's header or that holds texts an author typed in, which
// `force` lets it overwrite.
void CheckTodoListFile(const std::string& path, bool force);

// Checks again, then replaces the file all at once as a page is saved.
// Throws host::Error naming the list.
void SaveTodoList(const std::string& path, std::string_view list, bool force);

// The whole list, as it is taken back. Throws host::Error naming it.
std::string ReadListFile(const std::string& path);

}  // namespace audit
