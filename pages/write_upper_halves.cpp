// Writes, for each single-byte encoding that Windows has no code page for,
// its characters at 0xA0..0xFF as the build machine's iconv reads them, one
// initialiser a line ({"iso-8859-16", {0x00A0, ...}},), for the Windows
// build to convert those encodings with. Run by the build, never by hand.
//
//   write_upper_halves OUT_FILE
#include <iconv.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>

#include "pages/encoding.h"

namespace {

using pages::Encoding;

// The one character `byte` reads as, where it is one of the BMP.
std::optional<char32_t> CharacterOf(iconv_t cd, unsigned char byte) {
  char in = static_cast<char>(byte);
  char* inPtr = &in;
  std::size_t inLeft = 1;
  char32_t out[2];
  char* outPtr = reinterpret_cast<char*>(out);
  std::size_t outLeft = sizeof(out);
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1) ||
      outLeft != sizeof(out) - sizeof(char32_t) || out[0] > 0xFFFF) {
    return std::nullopt;
  }
  return out[0];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: write_upper_halves OUT_FILE\n";
    return 2;
  }
  std::string lines;
  for (int i = 0; i <= static_cast<int>(Encoding::EucKr); ++i) {
    const pages::EncodingNames& names = pages::NamesOf(static_cast<Encoding>(i));
    if (names.codePage != 0 || !names.singleByte || !names.iconv) continue;
    const iconv_t cd = iconv_open("UTF-32LE", names.iconv);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
      std::cerr << "write_upper_halves: iconv has no " << names.iconv << "\n";
      return 1;
    }
    lines += "{\"" + std::string(names.name) + "\", {";
    // The Windows converter reads 0x80..0x9F as the C1 controls themselves.
    for (unsigned byte = 0x80; byte <= 0xFF; ++byte) {
      const auto c = CharacterOf(cd, static_cast<unsigned char>(byte));
      if (!c || (byte < 0xA0 && *c != byte)) {
        std::cerr << "write_upper_halves: " << names.iconv << " reads byte " << byte << " otherwise than expected\n";
        return 1;
      }
      if (byte < 0xA0) continue;
      char hex[16];
      std::snprintf(hex, sizeof(hex), "%s0x%04X", byte == 0xA0 ? "" : ", ", static_cast<unsigned>(*c));
      lines += hex;
    }
    lines += "}},\n";
    iconv_close(cd);
  }
  std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
  out << lines;
  out.close();
  if (!out) {
    std::cerr << "write_upper_halves: cannot write " << argv[1] << "\n";
    return 1;
  }
  return 0;
}
