// Land data with a different, recognisable byte pattern in every cell, so a
// record read back at the wrong cell or offset shows up.
#pragma once

#include <cstddef>
#include <cstdint>

#include "model/run_state.hpp"

namespace brackwyn::testing {

inline float SyntheticBaseHeight(int cell) {
  return static_cast<float>(cell) - 256.0f;
}

inline std::uint8_t SyntheticStep(int cell, std::size_t vertex) {
  return static_cast<std::uint8_t>(static_cast<std::size_t>(cell) * 31 + vertex);
}

inline std::uint8_t SyntheticColor(int cell, std::size_t offset) {
  return static_cast<std::uint8_t>(static_cast<std::size_t>(cell) * 7 + offset * 3 + 1);
}

inline void FillSyntheticLand(RunState& state) {
  state.cellHeights.baseHeight.resize(kCellCount);
  state.cellHeights.heightSteps.resize(std::size_t{kCellCount} * kVerticesPerCell);
  state.cellColors.bytes.resize(std::size_t{kCellCount} * kCellColorBytes);
  for (int cell = 0; cell < kCellCount; ++cell) {
    state.cellHeights.baseHeight[static_cast<std::size_t>(cell)] = SyntheticBaseHeight(cell);
    std::uint8_t* steps =
        state.cellHeights.heightSteps.data() + std::size_t{kVerticesPerCell} * cell;
    for (std::size_t v = 0; v < kVerticesPerCell; ++v)
      steps[v] = SyntheticStep(cell, v);
    std::uint8_t* colors = state.cellColors.bytes.data() + kCellColorBytes * cell;
    for (std::size_t i = 0; i < kCellColorBytes; ++i)
      colors[i] = SyntheticColor(cell, i);
  }
}

}  // namespace brackwyn::testing
