#pragma once

#include <array>
#include <cstdint>

#include "model/run_state.hpp"

namespace brackwyn {

using VertexColor = std::array<std::uint8_t, 3>;  // red, green, blue

// White above height 10, palette row 10 - height from 10 down to -256, and the
// deepest row below -256 (only negative elevation ranges reach there).
VertexColor ColorOfHeight(const VertexColorPalette& palette, int height);

// Colours every vertex of every cell from the palette (all white when vertex colours are off).
void CreateVCLR(RunContext& run);

// What this processor colours vertices with, for benchmarks to name.
const char* VertexColorInstructionSet();

}  // namespace brackwyn
