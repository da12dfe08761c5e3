// The converters of the C library (glibc's iconv).
#include <errno.h>
#include <iconv.h>

#include <bit>
#include <map>
#include <memory>
#include <string>

#include "host/error.h"
#include "pages/converter.h"
#include "pages/page_file.h"

namespace pages {
namespace {

static_assert(std::endian::native == std::endian::little, "the converters are opened for little-endian UTF-32");

// One converter per direction and encoding, opened on first use and kept
// for the thread, as opening one loads its tables.
iconv_t Opened(const char* to, const char* from) {
  struct Closer {
    void operator()(void* cd) const { iconv_close(static_cast<iconv_t>(cd)); }
  };
  thread_local std::map<std::pair<std::string, std::string>, std::unique_ptr<void, Closer>> opened;
  auto& slot = opened[{to, from}];
  if (!slot) {
    const iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return cd;
    slot.reset(cd);
  }
  const auto cd = static_cast<iconv_t>(slot.get());
  iconv(cd, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
  return cd;
}

bool IsFailure(iconv_t cd) { return cd == reinterpret_cast<iconv_t>(-1); }

// Past the ISO 2022 escape sequences at `at` (each ESC, intermediate bytes,
// a final byte): they switch the state and belong to no character.
std::size_t PastEscapes(std::string_view bytes, std::size_t at) {
  while (at < bytes.size() && bytes[at] == '\x1B') {
    std::size_t i = at + 1;
    while (i < bytes.size() && bytes[i] >= 0x20 && bytes[i] <= 0x2F) ++i;
    if (i >= bytes.size() || bytes[i] < 0x30 || bytes[i] > 0x7E) break;
    at = i + 1;
  }
  return at;
}

}  // namespace

bool ConverterExists(const EncodingNames& names, bool) {
  return names.iconv && !IsFailure(Opened("UTF-32LE", names.iconv)) && !IsFailure(Opened(names.iconv, "UTF-32LE"));
}

host::Text ConvertToText(std::string_view bytes, const EncodingNames& names, std::vector<std::size_t>* starts) {
  const iconv_t cd = names.iconv ? Opened("UTF-32LE", names.iconv) : reinterpret_cast<iconv_t>(-1);
  if (IsFailure(cd)) {
    throw host::Error(code::BadFileMode, host::FromUtf8("no converter for " + std::string(names.name)));
  }
  host::Text out;
  out.reserve(bytes.size());
  std::string in(bytes);
  char* inPtr = in.data();
  std::size_t inLeft = in.size();
  char32_t buffer[256];
  const auto append = [&](const char* end, std::size_t start) {
    for (const char32_t* c = buffer; reinterpret_cast<const char*>(c) < end; ++c) {
      host::AppendUtf16(out, *c);
      if (starts) starts->resize(out.size(), start);
    }
  };
  while (true) {
    // With starts, one character at a time, so that each has its place.
    const std::size_t at = in.size() - inLeft;
    char* outPtr = reinterpret_cast<char*>(buffer);
    std::size_t outLeft = starts ? sizeof(char32_t) : sizeof(buffer);
    const bool flush = inLeft == 0;
    const std::size_t result = flush ? iconv(cd, nullptr, nullptr, &outPtr, &outLeft)
                                     : iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    const int error = result == static_cast<std::size_t>(-1) ? errno : 0;
    append(outPtr, PastEscapes(bytes, at));
    if (error == EILSEQ || error == EINVAL) {
      // A byte that begins no character here: one U+FFFD, and on with the next.
      buffer[0] = 0xFFFD;
      append(reinterpret_cast<char*>(buffer + 1), in.size() - inLeft);
      ++inPtr;
      --inLeft;
    } else if (flush && error != E2BIG) {
      break;
    }
  }
  return out;
}

std::optional<std::string> ConvertToBytes(std::u16string_view text, const EncodingNames& names) {
  const iconv_t cd = names.iconv ? Opened(names.iconv, "UTF-32LE") : reinterpret_cast<iconv_t>(-1);
  if (IsFailure(cd)) return std::nullopt;
  std::u32string in;
  for (std::size_t i = 0; i < text.size();) in += host::NextUtf16(text, i);
  char* inPtr = reinterpret_cast<char*>(in.data());
  std::size_t inLeft = in.size() * sizeof(char32_t);
  std::string out;
  char buffer[256];
  while (true) {
    char* outPtr = buffer;
    std::size_t outLeft = sizeof(buffer);
    const bool flush = inLeft == 0;
    const std::size_t result = flush ? iconv(cd, nullptr, nullptr, &outPtr, &outLeft)
                                     : iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    out.append(buffer, outPtr);
    if (result == static_cast<std::size_t>(-1) && errno != E2BIG) return std::nullopt;
    if (flush && result != static_cast<std::size_t>(-1)) break;
  }
  return out;
}

}  // namespace pages
