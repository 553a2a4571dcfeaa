// Writes 3328 x 3328 24-bit grayscale bitmaps in the standard layout that
// core/gray_bitmap.hpp reads: a 54-byte header, bottom-up rows of 9984 bytes
// without padding. Used by the example-world tool and the tests.
#pragma once

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <vector>

#include "core/gray_bitmap.hpp"
#include "core/units.hpp"

namespace brackwyn::tools {

inline void PutLe(std::uint8_t* at, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i)
    at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

inline std::vector<std::uint8_t> GrayBitmapHeader(int side = kBitmapSide) {
  std::vector<std::uint8_t> header(kBitmapHeaderBytes, 0);
  std::uint32_t pixelBytes = static_cast<std::uint32_t>(side) * side * 3;
  header[0] = 'B';
  header[1] = 'M';
  PutLe(&header[2], kBitmapHeaderBytes + pixelBytes, 4);  // file size
  PutLe(&header[10], kBitmapHeaderBytes, 4);              // pixel data offset
  PutLe(&header[14], 40, 4);                              // information header size
  PutLe(&header[18], static_cast<std::uint32_t>(side), 4);
  PutLe(&header[22], static_cast<std::uint32_t>(side), 4);  // positive: bottom-up rows
  PutLe(&header[26], 1, 2);                                 // planes
  PutLe(&header[28], 24, 2);                                // bits per pixel
  PutLe(&header[34], pixelBytes, 4);
  PutLe(&header[38], 2835, 4);  // 72 dpi
  PutLe(&header[42], 2835, 4);
  return header;
}

// sample(x, y) gives the gray value of pixel (x, y), row 0 at the bottom.
template <typename SampleFn>
void WriteGrayBitmap(const std::filesystem::path& path, SampleFn&& sample) {
  std::vector<std::uint8_t> bytes = GrayBitmapHeader();
  bytes.resize(kBitmapHeaderBytes + std::size_t{kBitmapSide} * kBitmapSide * 3);
  std::uint8_t* out = bytes.data() + kBitmapHeaderBytes;
  for (int y = 0; y < kBitmapSide; ++y) {
    for (int x = 0; x < kBitmapSide; ++x) {
      std::uint8_t v = static_cast<std::uint8_t>(sample(x, y));
      out[0] = v;
      out[1] = v;
      out[2] = v;
      out += 3;
    }
  }
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  if (!file)
    throw std::runtime_error("cannot write " + path.string());
}

}  // namespace brackwyn::tools
