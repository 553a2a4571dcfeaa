// How a raw bitmap sample (0..255) becomes a height in grid steps of 8 world
// units. A layer's scaled value depends on nothing but the sample, so each
// rule is applied through a 256-entry table.
#pragma once

#include <array>
#include <cstdint>

namespace brackwyn {

inline constexpr int kSampleValues = 256;

// Coast rule: 0..223 spread over the sea floor -256..-1, 224..255 become the
// beach 1..32; 0 is skipped so the shore line is never flat at sea level.
std::int16_t CoastHeight(int sample);

// round(sample * (gridScale / 255)), halves to even. May lie outside the
// 16-bit range (or be NaN for an infinite scale); callers check.
double ScaledHeight(float gridScale, int sample);

using SampleTable = std::array<std::int16_t, kSampleValues>;

SampleTable CoastTable();

}  // namespace brackwyn
