#include "audit/win/console_out.h"

#include <algorithm>
#include <iostream>
#include <utility>

#include "host/text.h"

namespace audit::win {

ConsoleBuffer::~ConsoleBuffer() { Write(true); }

ConsoleBuffer::int_type ConsoleBuffer::overflow(int_type c) {
  if (traits_type::eq_int_type(c, traits_type::eof())) return sync() == 0 ? traits_type::not_eof(c) : c;
  pending_ += traits_type::to_char_type(c);
  if (pending_.size() >= 4096 && !Write(false)) return traits_type::eof();
  return c;
}

std::streamsize ConsoleBuffer::xsputn(const char* s, std::streamsize n) {
  pending_.append(s, static_cast<std::size_t>(n));
  if (pending_.size() >= 4096 && !Write(false)) return 0;
  return n;
}

int ConsoleBuffer::sync() { return Write(false) ? 0 : -1; }

bool ConsoleBuffer::Write(bool all) {
  host::Text text;
  std::size_t i = 0;
  while (i < pending_.size()) {
    const host::Utf8Step step = host::NextUtf8(pending_, i);
    if (!all && !step.valid && i + step.length >= pending_.size()) break;  // its end is still to come
    host::AppendUtf16(text, step.c);
    i += step.length;
  }
  pending_.erase(0, i);
  const auto* data = reinterpret_cast<const wchar_t*>(text.data());
  std::size_t left = text.size();
  while (left > 0) {
    DWORD written = 0;
    const auto chunk = static_cast<DWORD>(std::min<std::size_t>(left, 8192));
    if (!WriteConsoleW(console_, data, chunk, &written, nullptr) || written == 0) return false;
    data += written;
    left -= written;
  }
  return true;
}

ConsoleOut::ConsoleOut() {
  const std::pair<std::ostream*, DWORD> streams[] = {{&std::cout, STD_OUTPUT_HANDLE}, {&std::cerr, STD_ERROR_HANDLE}};
  for (std::size_t k = 0; k < redirected_.size(); ++k) {
    const HANDLE handle = GetStdHandle(streams[k].second);
    DWORD mode = 0;
    if (handle == INVALID_HANDLE_VALUE || !handle || !GetConsoleMode(handle, &mode)) continue;
    Redirected& r = redirected_[k];
    r.stream = streams[k].first;
    r.stream->flush();
    r.buffer = std::make_unique<ConsoleBuffer>(handle);
    r.saved = r.stream->rdbuf(r.buffer.get());
  }
}

ConsoleOut::~ConsoleOut() {
  for (Redirected& r : redirected_) {
    if (!r.stream) continue;
    r.stream->flush();
    r.stream->rdbuf(r.saved);
  }
}

}  // namespace audit::win
