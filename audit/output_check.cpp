#include "audit/output_check.h"

#include <cerrno>
#include <cstring>
#include <iostream>

#ifdef _WIN32
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace audit {
namespace {

// Enough to print a page's findings in one write.
constexpr std::size_t kBufferSize = 1 << 16;

}  // namespace

CheckedOutput::CheckedOutput() {
#ifndef _WIN32
  for (int fd = 0; fd <= 2; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    if (fd == 1) failure_ = std::strerror(EBADF);
    // Read-only, so that nothing meant for the output lands anywhere.
    if (::open("/dev/null", fd == 2 ? O_WRONLY : O_RDONLY) != fd) break;
  }
#endif
  saved_ = std::cout.rdbuf(this);
}

CheckedOutput::~CheckedOutput() {
  sync();
  std::cout.rdbuf(saved_);
}

void CheckedOutput::Write(const char* bytes, std::size_t size) {
  while (size > 0 && !failure_ && !broken_) {
    const auto done = ::write(1, bytes, static_cast<unsigned>(size < (1u << 30) ? size : (1u << 30)));
    if (done < 0 && errno == EINTR) continue;
    if (done < 0 && errno == EPIPE) {
      broken_ = true;
    } else if (done <= 0) {
      failure_ = std::strerror(done < 0 ? errno : EIO);
    } else {
      bytes += done;
      size -= static_cast<std::size_t>(done);
    }
  }
}

CheckedOutput::int_type CheckedOutput::overflow(int_type c) {
  if (traits_type::eq_int_type(c, traits_type::eof())) return sync() == 0 ? 0 : traits_type::eof();
  pending_ += traits_type::to_char_type(c);
  if (pending_.size() >= kBufferSize) sync();
  return c;
}

std::streamsize CheckedOutput::xsputn(const char* s, std::streamsize n) {
  pending_.append(s, static_cast<std::size_t>(n));
  if (pending_.size() >= kBufferSize) sync();
  return n;
}

int CheckedOutput::sync() {
  Write(pending_.data(), pending_.size());
  pending_.clear();
  return failure_ ? -1 : 0;
}

std::optional<std::string> CheckedOutput::Failure() {
  sync();
  return failure_;
}

}  // namespace audit
