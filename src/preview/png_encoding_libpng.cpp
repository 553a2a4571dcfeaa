// PNG encoding by libpng, where it is installed.
#include "preview/png_file.hpp"

#include <algorithm>

#include "core/libpng_writer.hpp"

namespace brackwyn {

std::vector<std::uint8_t> EncodePng(const RgbImage& image) {
  std::vector<const std::uint8_t*> rows(static_cast<std::size_t>(std::max(image.height, 0)));
  for (int y = 0; y < image.height && image.width > 0; ++y)
    rows[static_cast<std::size_t>(y)] = image.at(0, y);
  return EncodePngWithLibpng(image.width, image.height, 8, PngColor::kRgb, rows.data(),
                             image.pixels.size() / 4, "the picture");
}

}  // namespace brackwyn
