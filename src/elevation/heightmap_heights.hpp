// How a heightmap sample becomes a height in grid steps of 8 world units.
#pragma once

#include <cstdint>
#include <vector>

namespace brackwyn {

// Sample v of a heightmap whose white is `maximum` (255 or 65535), with
// black at `low` and white at `high` world units: (low M + v (high - low)) /
// (8 M), rounded to the nearest, halves to even. Exact in 64-bit integers
// for |low|, |high| below 2^31.
std::int64_t HeightmapHeight(std::int64_t low, std::int64_t high, int maximum, int v);

// The sample nearest to `height` world units (halves to even), clamped to
// 0..maximum: what a heightmap stores for a height.
int HeightmapSample(std::int64_t low, std::int64_t high, int maximum, std::int64_t height);

// The heights of samples 0..maximum.
std::vector<std::int64_t> HeightmapHeights(std::int64_t low, std::int64_t high, int maximum);

}  // namespace brackwyn
