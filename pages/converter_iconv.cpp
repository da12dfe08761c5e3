// The converters of the C library (glibc's iconv).
#include <errno.h>
#include <iconv.h>

#include <algorithm>
#include <array>
#include <bit>
#include <map>
#include <optional>
#include <utility>
#include <memory>
#include <string>

#include "host/error.h"
#include "pages/converter.h"
#include "pages/iso_2022_jp.h"
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

// What `cd` reads from exactly `bytes`, from its first state to its last:
// two characters at most; nullopt where it cannot read them all.
std::optional<std::u32string> ReadWhole(iconv_t cd, std::string_view bytes) {
  std::string in(bytes);
  char* inPtr = in.data();
  std::size_t inLeft = in.size();
  char32_t out[2];
  char* outPtr = reinterpret_cast<char*>(out);
  std::size_t outLeft = sizeof(out);
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1) || inLeft != 0 ||
      iconv(cd, nullptr, nullptr, &outPtr, &outLeft) == static_cast<std::size_t>(-1)) {
    return std::nullopt;
  }
  return std::u32string(out, reinterpret_cast<char32_t*>(outPtr));
}

// What a byte undecodable on its own reads as.
char32_t Undecodable(unsigned char byte, const EncodingNames& names) {
  if (names.euroAt80 && byte == 0x80) return 0x20AC;
  return names.controlsInGaps && byte >= 0x80 && byte <= 0x9F ? byte : 0xFFFD;
}

// A single-byte encoding's characters, each byte converted on its own, so
// that a letter and the accent after it stay two characters as browsers
// read them (glibc's CP1255 and CP1258 would join them into one).
const std::array<char32_t, 256>& ByteTable(const EncodingNames& names, iconv_t cd) {
  thread_local std::map<std::string, std::array<char32_t, 256>> tables;
  const auto [it, added] = tables.try_emplace(names.iconv);
  if (!added) return it->second;
  for (unsigned b = 0; b < 256; ++b) {
    const char byte = static_cast<char>(b);
    const auto read = ReadWhole(cd, {&byte, 1});
    it->second[b] = read && read->size() == 1 ? read->front() : Undecodable(static_cast<unsigned char>(b), names);
  }
  return it->second;
}

// The character (one, or a letter with its accent) the fallback converter
// reads from the next two bytes.
std::optional<std::u32string> FallbackCharacter(std::string_view bytes, const EncodingNames& names) {
  if (!names.iconvFallback || bytes.size() < 2) return std::nullopt;
  const iconv_t cd = Opened("UTF-32LE", names.iconvFallback);
  if (IsFailure(cd)) return std::nullopt;
  auto read = ReadWhole(cd, bytes.substr(0, 2));
  if (!read || read->empty()) return std::nullopt;
  return read;
}

// `text` through one converter; nullopt when it lacks a character.
std::optional<std::string> Encoded(const std::u32string& text, const char* name) {
  const iconv_t cd = Opened(name, "UTF-32LE");
  if (IsFailure(cd)) return std::nullopt;
  std::u32string in = text;
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

// iso-2022-jp is read by its escape sequences, as on Windows, its
// two-byte characters as browsers read them, through Shift_JIS: glibc's
// ISO-2022-JP reads some of them otherwise (0x2141 as U+301C, not U+FF5E).
const char* ShiftJisConverter() { return NamesOf(Encoding::ShiftJis).iconv; }

std::optional<char32_t> ShiftJisCharacter(std::array<unsigned char, 2> pair) {
  const iconv_t cd = Opened("UTF-32LE", ShiftJisConverter());
  if (IsFailure(cd)) return std::nullopt;
  const char bytes[2] = {static_cast<char>(pair[0]), static_cast<char>(pair[1])};
  const auto read = ReadWhole(cd, {bytes, 2});
  if (!read || read->size() != 1) return std::nullopt;
  return read->front();
}

std::optional<std::array<unsigned char, 2>> ShiftJisPair(char32_t c) {
  const auto bytes = Encoded(std::u32string(1, c), ShiftJisConverter());
  if (!bytes || bytes->size() != 2) return std::nullopt;
  return std::array<unsigned char, 2>{static_cast<unsigned char>((*bytes)[0]), static_cast<unsigned char>((*bytes)[1])};
}

const ShiftJisPairs kShiftJis{ShiftJisCharacter, ShiftJisPair};

}  // namespace

bool ConverterExists(const EncodingNames& names, bool) {
  const char* iconvName = names.encoding == Encoding::Iso2022Jp ? ShiftJisConverter() : names.iconv;
  return iconvName && !IsFailure(Opened("UTF-32LE", iconvName)) && !IsFailure(Opened(iconvName, "UTF-32LE"));
}

host::Text ConvertToText(std::string_view bytes, const EncodingNames& names, std::vector<ByteSpan>* spans) {
  if (names.encoding == Encoding::Iso2022Jp && ConverterExists(names)) return DecodeIso2022Jp(bytes, kShiftJis, spans);
  const iconv_t cd = names.iconv ? Opened("UTF-32LE", names.iconv) : reinterpret_cast<iconv_t>(-1);
  if (IsFailure(cd)) {
    throw host::Error(code::BadFileMode, host::FromUtf8("no converter for " + std::string(names.name)));
  }
  host::Text out;
  out.reserve(bytes.size());
  const auto append = [&](const std::u32string_view read, ByteSpan span) {
    for (const char32_t c : read) host::AppendUtf16(out, c);
    if (spans) spans->resize(out.size(), span);
  };
  if (names.singleByte) {
    const auto& table = ByteTable(names, cd);
    for (std::size_t i = 0; i < bytes.size(); ++i) append({&table[static_cast<unsigned char>(bytes[i])], 1}, {i, i + 1});
    return out;
  }
  std::string in(bytes);
  char* inPtr = in.data();
  std::size_t inLeft = in.size();
  char32_t buffer[256];
  while (true) {
    const std::size_t at = in.size() - inLeft;
    char* outPtr = reinterpret_cast<char*>(buffer);
    // One character at a time where each needs its place, or a second look.
    std::size_t outLeft = spans || names.iconvFallback ? sizeof(char32_t) : sizeof(buffer);
    const bool flush = inLeft == 0;
    const std::size_t result = flush ? iconv(cd, nullptr, nullptr, &outPtr, &outLeft)
                                     : iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    const int error = result == static_cast<std::size_t>(-1) ? errno : 0;
    const std::size_t end = in.size() - inLeft;
    if (outLeft == 0 && buffer[0] >= 0xE000 && buffer[0] <= 0xF8FF && end == at + 2) {
      // Where the first converter has only a private character, the
      // fallback may have the real one.
      if (auto fallback = FallbackCharacter(bytes.substr(at, 2), names); fallback && fallback->size() == 1) {
        buffer[0] = fallback->front();
      }
    }
    append({buffer, static_cast<std::size_t>(reinterpret_cast<char32_t*>(outPtr) - buffer)}, {at, end});
    if (error == EILSEQ || error == EINVAL) {
      // A character the fallback has, else a byte that begins no character
      // here: one U+FFFD, and on with the next.
      std::size_t length = 1;
      std::u32string read(1, Undecodable(static_cast<unsigned char>(*inPtr), names));
      if (auto fallback = FallbackCharacter(std::string_view(inPtr, inLeft), names)) {
        read = std::move(*fallback);
        length = 2;
      }
      append(read, {end, end + length});
      inPtr += length;
      inLeft -= length;
    } else if (flush && error != E2BIG) {
      break;
    }
  }
  return out;
}

std::optional<std::string> ConvertToBytes(std::u16string_view text, const EncodingNames& names) {
  if (names.encoding == Encoding::Iso2022Jp) return ConverterExists(names) ? EncodeIso2022Jp(text, kShiftJis) : std::nullopt;
  if (!names.iconv) return std::nullopt;
  std::u32string in;
  for (std::size_t i = 0; i < text.size();) in += host::NextUtf16(text, i);
  if (auto bytes = Encoded(in, names.iconv)) return bytes;
  if (names.iconvFallback) return Encoded(in, names.iconvFallback);
  return std::nullopt;
}

}  // namespace pages
