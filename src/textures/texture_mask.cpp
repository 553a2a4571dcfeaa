#include "textures/texture_mask.hpp"

#include "core/gray_bitmap.hpp"

namespace brackwyn {

TextureMask TextureMask::Read(const std::filesystem::path& path, const std::string& role) {
  constexpr int kCentre = kQuadsPerTextureSquareSide / 2;  // vertex 4u + 2 of a cell
  GrayBitmapReader reader(path, role);
  TextureMask mask;
  mask.bits_.assign((std::size_t{kSide} * kSide + 63) / 64, 0);
  std::vector<std::uint8_t> row(kBitmapSide);
  for (int y = 0; y < kSide; ++y) {
    reader.sampleRow(y * kQuadsPerTextureSquareSide + kCentre, row.data());
    for (int x = 0; x < kSide; ++x) {
      if (row[static_cast<std::size_t>(x * kQuadsPerTextureSquareSide + kCentre)] < kAllowedFrom)
        continue;
      std::size_t bit = static_cast<std::size_t>(y) * kSide + static_cast<std::size_t>(x);
      mask.bits_[bit / 64] |= std::uint64_t{1} << (bit % 64);
    }
  }
  return mask;
}

}  // namespace brackwyn
