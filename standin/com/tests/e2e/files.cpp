#include "standin/com/tests/e2e/files.h"

#include <cstdio>
#include <fstream>
#include <sstream>

#include "standin/com/tests/e2e/host_driver.h"

namespace e2e {

std::string ReadFile(const std::wstring& path) {
  std::ifstream in(std::string(path.begin(), path.end()), std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void MarkReady(const std::string& ready, const std::string& area) {
  if (FILE* marker = _wfopen(WinePath(ready).c_str(), L"w")) {
    std::fputs(area.c_str(), marker);
    std::fclose(marker);
  }
}

bool HoldForPicture(const std::string& ready, const std::string& done, std::initializer_list<HWND> windows) {
  RECT area{};
  for (HWND window : windows) {
    RECT frame{};
    if (GetWindowRect(window, &frame)) UnionRect(&area, &area, &frame);
  }
  char geometry[64] = {};
  if (!IsRectEmpty(&area))
    std::snprintf(geometry, sizeof(geometry), "%ldx%ld+%ld+%ld", area.right - area.left, area.bottom - area.top,
                  area.left, area.top);
  MarkReady(ready, geometry);
  return WaitUntil([&] { return GetFileAttributesW(WinePath(done).c_str()) != INVALID_FILE_ATTRIBUTES; }, 60s);
}

}  // namespace e2e
