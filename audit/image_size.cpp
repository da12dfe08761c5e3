#include "audit/image_size.h"

#include <filesystem>
#include <fstream>

namespace audit {
namespace {

unsigned Byte(std::string_view bytes, std::size_t at) { return static_cast<unsigned char>(bytes[at]); }
unsigned BigEndian16(std::string_view b, std::size_t at) { return Byte(b, at) << 8 | Byte(b, at + 1); }
unsigned LittleEndian16(std::string_view b, std::size_t at) { return Byte(b, at) | Byte(b, at + 1) << 8; }
unsigned BigEndian32(std::string_view b, std::size_t at) { return BigEndian16(b, at) << 16 | BigEndian16(b, at + 2); }

std::optional<ImageSize> Checked(unsigned width, unsigned height) {
  if (width == 0 || height == 0) return std::nullopt;
  return ImageSize{width, height};
}

// Marker segments up to the first start-of-frame, whose size it holds.
std::optional<ImageSize> JpegSize(std::string_view b) {
  std::size_t at = 2;
  while (at + 4 <= b.size()) {
    if (Byte(b, at) != 0xFF) return std::nullopt;
    const unsigned marker = Byte(b, at + 1);
    if (marker == 0xFF) {  // fill bytes before a marker
      ++at;
      continue;
    }
    if (marker == 0xD8 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {  // no length
      at += 2;
      continue;
    }
    const std::size_t length = BigEndian16(b, at + 2);
    if (length < 2) return std::nullopt;
    const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (frame) {
      if (at + 9 > b.size()) return std::nullopt;
      return Checked(BigEndian16(b, at + 7), BigEndian16(b, at + 5));
    }
    if (marker == 0xD9 || marker == 0xDA) return std::nullopt;  // the end, or data before any frame
    at += 2 + length;
  }
  return std::nullopt;
}

}  // namespace

std::optional<ImageSize> ImageSizeOf(std::string_view head) {
  if (head.starts_with("\x89PNG\r\n\x1A\n") && head.size() >= 24 && head.substr(12, 4) == "IHDR") {
    const unsigned width = BigEndian32(head, 16), height = BigEndian32(head, 20);
    if (width > 0x7FFFFFFF || height > 0x7FFFFFFF) return std::nullopt;
    return Checked(width, height);
  }
  if ((head.starts_with("GIF87a") || head.starts_with("GIF89a")) && head.size() >= 10) {
    return Checked(LittleEndian16(head, 6), LittleEndian16(head, 8));
  }
  if (head.starts_with("\xFF\xD8")) return JpegSize(head);
  return std::nullopt;
}

std::optional<ImageSize> ImageFileSize(const std::string& path) {
  // Enough for a JPEG whose metadata (a thumbnail, a colour profile) comes first.
  constexpr std::size_t kHead = 1 << 20;
  std::ifstream in(std::filesystem::path(std::u8string(path.begin(), path.end())), std::ios::binary);
  if (!in) return std::nullopt;
  std::string head(kHead, '\0');
  in.read(head.data(), kHead);
  head.resize(static_cast<std::size_t>(in.gcount()));
  return ImageSizeOf(head);
}

}  // namespace audit
