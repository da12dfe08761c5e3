#pragma once
// Lookups by tag name, made for the scanner's every tag: names are short
// and mostly differ in length or first letter.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pages {

// Byte by byte: for names this short, quicker than a call to memcmp.
inline bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t k = 0; k < a.size(); ++k) {
    if (a[k] != b[k]) return false;
  }
  return true;
}

// A set of lower-case tag names; most names not in it are told by their
// first letter and length alone, the rest against the names of that letter.
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
    std::sort(names_.begin(), names_.end());
    for (std::size_t k = 0, letter = 0; letter <= 26; ++letter) {
      while (k < N && static_cast<std::size_t>(names_[k][0] - 'a') < letter) ++k;
      firsts_[letter] = static_cast<std::uint8_t>(k);
    }
  }

  bool Holds(std::string_view name) const {
    if (name.empty() || name.size() >= 32) return false;
    const unsigned letter = static_cast<unsigned char>(name[0]) - unsigned{'a'};
    if (letter >= 26 || !(shapes_[letter] >> name.size() & 1)) return false;
    for (std::size_t k = firsts_[letter]; k < firsts_[letter + 1]; ++k) {
      if (SameName(names_[k], name)) return true;
    }
    return false;
  }

 private:
  static_assert(N < 256);
  std::array<std::string_view, N> names_{};  // sorted
  std::array<std::uint32_t, 26> shapes_{};   // bit n of a letter's: a name of length n begins with it
  std::array<std::uint8_t, 27> firsts_{};    // where the names of each letter begin, and the end
};

// Numbers for the tag names of one page, from 0 in the order first seen,
// so that what is kept per name can be kept in a vector.
class TagNameNumbers {
 public:
  std::size_t NumberOf(std::string_view name);  // a new name gets the next

 private:
  void Grow();

  std::vector<std::string> names_;
  std::vector<std::uint32_t> slots_;  // a name's number + 1, or 0; open addressing over a power of two
};

}  // namespace pages
