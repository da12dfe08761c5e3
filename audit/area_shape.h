#pragma once
// An area's region as a browser reads its shape and coords attributes.
#include <optional>
#include <string_view>
#include <vector>

namespace audit {

struct AreaShape {
  enum class Kind { Rect, Circle, Poly, Default } kind;
  // rect: left, top, right, bottom; circle: x, y, radius; poly: x, y pairs;
  // default: none (the whole image).
  std::vector<double> coords;
};

// The list of numbers in a coords attribute: separators are white space,
// commas and semicolons, leading garbage of each number is skipped, and a
// number that does not parse counts as 0.
std::vector<double> ParseCoords(std::u16string_view coords);

// nullopt when the area has no region: too few numbers, a radius not above
// 0. A shape attribute that is missing or not known means a rectangle; a
// rectangle's corners are put in order; extra numbers are dropped.
std::optional<AreaShape> ReadAreaShape(std::optional<std::u16string_view> shape, std::u16string_view coords);

}  // namespace audit
