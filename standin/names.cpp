#include "standin/names.h"

#include <algorithm>

namespace standin {
namespace {
char16_t Fold(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c; }
}  // namespace

bool SameName(const host::Text& a, const host::Text& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char16_t x, char16_t y) { return Fold(x) == Fold(y); });
}

}  // namespace standin
