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

void MarkReady(const std::string& ready) {
  if (FILE* marker = _wfopen(WinePath(ready).c_str(), L"w")) std::fclose(marker);
}

bool HoldForPicture(const std::string& ready, const std::string& done) {
  MarkReady(ready);
  return WaitUntil([&] { return GetFileAttributesW(WinePath(done).c_str()) != INVALID_FILE_ATTRIBUTES; }, 60s);
}

}  // namespace e2e
