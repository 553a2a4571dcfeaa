// 3328 x 3328 bitmaps in the layouts other programs save: 8-, 24- and 32-bit,
// bottom-up or top-down, with 40-, 108- or 124-byte information headers.
#pragma once

#include <cstdint>
#include <vector>

#include "core/units.hpp"
#include "tools/gray_bitmap_writer.hpp"

namespace brackwyn::testing {

struct BitmapFormat {
  int bits = 24;
  bool topDown = false;
  int infoBytes = 40;
  bool bitFields = false;  // 32-bit: compression 3 with the usual masks
  int paletteEntries = 0;  // 8-bit: written as the colour count (0 = 256)
};

// sample(x, y) gives the gray of pixel (x, y), row 0 at the bottom. 8-bit
// files use the gray as the index into a gray palette.
template <typename SampleFn>
std::vector<std::uint8_t> BitmapBytes(const BitmapFormat& format, SampleFn&& sample) {
  const int bytesPerPixel = format.bits / 8;
  const std::size_t stride = (std::size_t{kBitmapSide} * bytesPerPixel + 3) / 4 * 4;
  const int palette =
      format.bits == 8 ? (format.paletteEntries == 0 ? 256 : format.paletteEntries) : 0;
  const std::size_t masks = format.bitFields && format.infoBytes == 40 ? 12 : 0;
  const std::size_t offset = 14 + format.infoBytes + masks + 4 * std::size_t(palette);
  std::vector<std::uint8_t> bytes(offset + stride * kBitmapSide, 0);
  std::uint8_t* h = bytes.data();
  h[0] = 'B';
  h[1] = 'M';
  tools::PutLe(h + 2, static_cast<std::uint32_t>(bytes.size()), 4);
  tools::PutLe(h + 10, static_cast<std::uint32_t>(offset), 4);
  tools::PutLe(h + 14, static_cast<std::uint32_t>(format.infoBytes), 4);
  tools::PutLe(h + 18, kBitmapSide, 4);
  tools::PutLe(h + 22, static_cast<std::uint32_t>(format.topDown ? -kBitmapSide : kBitmapSide), 4);
  tools::PutLe(h + 26, 1, 2);
  tools::PutLe(h + 28, static_cast<std::uint32_t>(format.bits), 2);
  tools::PutLe(h + 30, format.bitFields ? 3 : 0, 4);
  tools::PutLe(h + 46, static_cast<std::uint32_t>(format.paletteEntries), 4);
  if (format.bitFields) {
    tools::PutLe(h + 54, 0x00FF0000, 4);
    tools::PutLe(h + 58, 0x0000FF00, 4);
    tools::PutLe(h + 62, 0x000000FF, 4);
    if (format.infoBytes > 40)
      tools::PutLe(h + 66, 0xFF000000, 4);
  }
  for (int i = 0; i < palette; ++i)
    std::fill_n(h + 14 + format.infoBytes + 4 * i, 3, static_cast<std::uint8_t>(i));
  for (int y = 0; y < kBitmapSide; ++y) {
    int stored = format.topDown ? kBitmapSide - 1 - y : y;
    std::uint8_t* row = h + offset + stride * static_cast<std::size_t>(stored);
    for (int x = 0; x < kBitmapSide; ++x) {
      auto gray = static_cast<std::uint8_t>(sample(x, y));
      std::uint8_t* pixel = row + static_cast<std::size_t>(x) * bytesPerPixel;
      if (format.bits == 8) {
        pixel[0] = gray;
      } else {
        pixel[0] = static_cast<std::uint8_t>(gray ^ 0x55);  // blue and red differ from green
        pixel[1] = gray;
        pixel[2] = static_cast<std::uint8_t>(gray ^ 0xAA);
        if (format.bits == 32)
          pixel[3] = 0xFF;
      }
    }
  }
  return bytes;
}

}  // namespace brackwyn::testing
