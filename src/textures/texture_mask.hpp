// Where a mask bitmap lets its rule texture the land: one bit per texture
// square of the world, set where the bitmap's gray value at the square's
// centre vertex is 128 or more. Only the centre vertices matter, so a mask
// takes 832 x 832 bits rather than the bitmap's 11 million bytes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "model/land_textures.hpp"

namespace brackwyn {

class TextureMask {
 public:
  static constexpr int kSide = kCellsPerSide * kTextureSquaresPerCellSide;  // 832
  static constexpr int kAllowedFrom = 128;

  // Reads the bitmap through GrayBitmapReader; `role` names it in messages.
  static TextureMask Read(const std::filesystem::path& path, const std::string& role);

  // Square (x, y) of the world: x = 16 * cell column + u, y = 16 * cell row + v.
  bool allows(int x, int y) const {
    std::size_t bit = static_cast<std::size_t>(y) * kSide + static_cast<std::size_t>(x);
    return (bits_[bit / 64] >> (bit % 64)) & 1u;
  }

 private:
  std::vector<std::uint64_t> bits_;
};

}  // namespace brackwyn
