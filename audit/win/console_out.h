#pragma once
// mapnote-audit writes UTF-8. A Windows console shows bytes in its own code
// page, so where standard output or standard error is a console, that
// stream's text goes to it as UTF-16 (WriteConsoleW) instead; to a file or a
// pipe the UTF-8 bytes go as they are.
#include <windows.h>

#include <array>
#include <memory>
#include <ostream>
#include <streambuf>
#include <string>

namespace audit::win {

// UTF-8 text written to a console as UTF-16. A sequence split across writes
// waits for its end; a malformed one shows as U+FFFD.
class ConsoleBuffer : public std::streambuf {
 public:
  explicit ConsoleBuffer(HANDLE console) : console_(console) {}
  ~ConsoleBuffer() override;

 protected:
  int_type overflow(int_type c) override;
  std::streamsize xsputn(const char* s, std::streamsize n) override;
  int sync() override;

 private:
  // Writes what is pending, all of it or up to a sequence cut short at its end.
  bool Write(bool all);

  HANDLE console_;
  std::string pending_;
};

// While it lives, std::cout and std::cerr write to a console through a
// ConsoleBuffer where theirs is one. Made after std::ios::sync_with_stdio,
// which sets the streams' buffers.
class ConsoleOut {
 public:
  ConsoleOut();
  ~ConsoleOut();
  ConsoleOut(const ConsoleOut&) = delete;
  ConsoleOut& operator=(const ConsoleOut&) = delete;

 private:
  struct Redirected {
    std::ostream* stream = nullptr;
    std::streambuf* saved = nullptr;
    std::unique_ptr<ConsoleBuffer> buffer;
  };
  std::array<Redirected, 2> redirected_;
};

}  // namespace audit::win
