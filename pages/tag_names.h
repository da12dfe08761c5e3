#pragma once
// Lookups by tag name, made for the scanner's every tag: names are short
// and mostly differ in length or first letter.
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace pages {

// A set of lower-case tag names; most names not in it are told by their
// first letter and length alone.
template <std::size_t N>
class TagNameSet {
 public:
  consteval explicit TagNameSet(const std::string_view (&names)[N]) {
    for (std::size_t k = 0; k < N; ++k) {
      const std::string_view name = names[k];
      if (name.empty() || name.size() >= 32 || name[0] < 'a' || name[0] > 'z') throw "not a lower-case tag name";
      names_[k] = name;
      shapes_[name[0] - 'a'] |= std::uint32_t{1} << name.size();
    }
  }

  bool Holds(std::string_view name) const {
    if (name.empty() || name.size() >= 32) return false;
    const unsigned letter = static_cast<unsigned char>(name[0]) - unsigned{'a'};
    if (letter >= 26 || !(shapes_[letter] >> name.size() & 1)) return false;
    for (const std::string_view candidate : names_) {
      if (candidate == name) return true;
    }
    return false;
  }

 private:
  std::array<std::string_view, N> names_{};
  std::array<std::uint32_t, 26> shapes_{};  // bit n of a letter's: a name of length n begins with it
};

// A map keyed by tag names, looked up by a view of the name without a copy,
// with an inline hash that costs less than the library's on short keys.
struct TagNameHash {
  using is_transparent = void;
  std::size_t operator()(std::string_view name) const noexcept {
    std::size_t hash = 14695981039346656037ull & static_cast<std::size_t>(-1);  // FNV-1a
    for (const char c : name) hash = (hash ^ static_cast<unsigned char>(c)) * static_cast<std::size_t>(1099511628211ull);
    return hash;
  }
};

template <typename Value>
using TagNameMap = std::unordered_map<std::string, Value, TagNameHash, std::equal_to<>>;

}  // namespace pages
