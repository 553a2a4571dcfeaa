// The vertex-colour table: one colour per whole height from 10 (row 0) down to
// -256 (row 266), interpolated between five coloured bands. Each pair of
// neighbouring bands fills the heights from the upper band's height down to
// just above the lower band's; the last pair includes -256 itself.
#pragma once

#include <array>

#include "model/run_state.hpp"

namespace brackwyn {

inline constexpr int kColorBandCount = 5;

struct ColorBand {
  double height = 0;
  std::array<double, 3> color{};  // red, green, blue, 0..255
};

using ColorBands = std::array<ColorBand, kColorBandCount>;

// The twenty band boxes (txtVCLR1Height .. txtVCLR5B) as numbers. Throws
// RunError naming the box whose text is not a number.
ColorBands ReadColorBands(const WindowModel& window);

// Throws RunError naming the box when a colour is outside 0..255 or when the
// heights do not give every whole height from 10 to -256 exactly one row:
// heights out of order, a height one above the band before it (a gradient
// with a zero divisor), or fractional heights that round onto the same height
// twice or skip one.
VertexColorPalette BuildVertexColorPalette(const ColorBands& bands);

// Builds the vertex-colour table from the five colour bands.
void CreatePalette(RunContext& run);

}  // namespace brackwyn
