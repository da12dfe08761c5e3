#pragma once
// Files the drivers read and the markers they share with the scripts that
// run them.
#include <windows.h>

#include <initializer_list>
#include <string>

namespace e2e {

// The whole file as bytes; empty when it cannot be read.
std::string ReadFile(const std::wstring& path);

// tools/screenshot-held's protocol: the driver creates `ready` (Unix paths)
// when the screen is worth a picture, and goes on once `done` exists. The
// file may name the part of the screen to keep, as WIDTHxHEIGHT+X+Y.
void MarkReady(const std::string& ready, const std::string& area = {});
// Marks `ready` with the part of the screen these windows cover, and waits
// for `done`; false when no picture came in time.
bool HoldForPicture(const std::string& ready, const std::string& done, std::initializer_list<HWND> windows);

}  // namespace e2e
