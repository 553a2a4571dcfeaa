#include "elevation/heightmap_heights.hpp"

#include <algorithm>

#include "core/units.hpp"

namespace brackwyn {
namespace {

// numerator / denominator (denominator > 0) to the nearest, halves to even.
std::int64_t DivideRoundingHalfEven(std::int64_t numerator, std::int64_t denominator) {
  std::int64_t quotient = numerator / denominator;
  std::int64_t remainder = numerator % denominator;
  if (remainder < 0) {  // division truncates toward zero; make it floor
    quotient -= 1;
    remainder += denominator;
  }
  if (2 * remainder > denominator || (2 * remainder == denominator && quotient % 2 != 0))
    quotient += 1;
  return quotient;
}

}  // namespace

std::int64_t HeightmapHeight(std::int64_t low, std::int64_t high, int maximum, int v) {
  return DivideRoundingHalfEven(low * maximum + v * (high - low),
                                std::int64_t{kUnitsPerHeightStep} * maximum);
}

int HeightmapSample(std::int64_t low, std::int64_t high, int maximum, std::int64_t height) {
  std::int64_t v = DivideRoundingHalfEven((height - low) * maximum, high - low);
  return static_cast<int>(std::clamp<std::int64_t>(v, 0, maximum));
}

std::vector<std::int64_t> HeightmapHeights(std::int64_t low, std::int64_t high, int maximum) {
  std::vector<std::int64_t> heights(static_cast<std::size_t>(maximum) + 1);
  for (int v = 0; v <= maximum; ++v)
    heights[static_cast<std::size_t>(v)] = HeightmapHeight(low, high, maximum, v);
  return heights;
}

}  // namespace brackwyn
