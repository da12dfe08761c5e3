#pragma once
// The natural size of a PNG, GIF or JPEG image, from its header.
#include <optional>
#include <string>
#include <string_view>

namespace audit {

struct ImageSize {
  unsigned width, height;
  bool operator==(const ImageSize&) const = default;
};

// From the file's first bytes (a JPEG's size may lie past large metadata
// segments: nullopt when it is not within `head`). nullopt for another
// format or a damaged header.
std::optional<ImageSize> ImageSizeOf(std::string_view head);

// Reads the start of the file at `path` (UTF-8); nullopt when it cannot be
// read or its size is not found.
std::optional<ImageSize> ImageFileSize(const std::string& path);

}  // namespace audit
