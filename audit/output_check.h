#pragma once
// Standard output that does not take what is written (a full disk, a closed
// descriptor) fails the run: the findings, the log or the report of what
// was written would be lost while the exit status said all went well.
#include <optional>
#include <streambuf>
#include <string>

namespace audit {

// While it lives, std::cout writes through it straight to descriptor 1,
// keeping the first failure's reason (each flush and the last write are
// checked, nothing is written after a failure). A broken pipe counts as none:
// as for any program in a pipeline whose reader has gone, the run ends
// quietly (by the signal, or where there is none, writing nothing more).
// Where descriptors 0 to 2 are closed, /dev/null takes their place, so that
// no file the run opens gets one and takes text meant for the terminal.
class CheckedOutput : public std::streambuf {
 public:
  CheckedOutput();
  ~CheckedOutput() override;
  CheckedOutput(const CheckedOutput&) = delete;
  CheckedOutput& operator=(const CheckedOutput&) = delete;

  // Writes what is pending; the system's reason why standard output could
  // not be written, if it could not.
  std::optional<std::string> Failure();

 protected:
  int_type overflow(int_type c) override;
  std::streamsize xsputn(const char* s, std::streamsize n) override;
  int sync() override;

 private:
  void Write(const char* bytes, std::size_t size);

  std::streambuf* saved_;
  std::string pending_;
  std::optional<std::string> failure_;
  bool broken_ = false;  // a pipe whose reader has gone
};

}  // namespace audit
