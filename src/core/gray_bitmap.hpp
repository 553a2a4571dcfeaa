// The one reader of the 3328 x 3328 grayscale bitmaps: heights and object
// densities alike.
//
// The header says where the pixels are and how they are stored (see
// core/bitmap_header.hpp for the layouts accepted). The standard file is an
// uncompressed 24-bit bitmap with a 54-byte header:
//
//   offset 0, 54 bytes          file and information header
//   offset 54 + 9984 y + 3 x    pixel (x, y): blue, green, red
//
// Rows are 9984 bytes, a multiple of 4, so they carry no padding; row 0 is the
// bottom row of the picture (the first stored row of a bottom-up bitmap, the
// last of a top-down one). A pixel's sample is its green byte (gray images
// have three equal bytes). The last sample of the standard file sits at offset
// 33,226,804, so a file may end right after it; a shorter file cannot give
// every sample and is refused rather than read past its end.
//
// The file is read in blocks of rows into one small buffer that stays in
// cache: faster than one 33 MB read into fresh memory, and a mapping would
// crash the run if another program truncated the file meanwhile.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "core/bitmap_header.hpp"
#include "core/positioned_file.hpp"
#include "core/units.hpp"

namespace brackwyn {

inline constexpr std::size_t kBitmapHeaderBytes = 54;
inline constexpr std::size_t kBitmapRowBytes = kBitmapSide * 3;
inline constexpr std::size_t kBitmapSampleOffset = kBitmapHeaderBytes + 1;
inline constexpr std::size_t kBitmapMinimumBytes = 33'226'805;  // last sample at 33,226,804
inline constexpr std::size_t kBitmapStandardBytes = 33'226'806;

static_assert(kBitmapSampleOffset + 3 * (std::size_t{kBitmapSide} * kBitmapSide - 1) + 1 ==
              kBitmapMinimumBytes);

class GrayBitmapReader {
 public:
  // `role` names the file in messages, e.g. "coast height bitmap
  // (txtBitmapCoast)". Throws RunError for a missing or unreadable file, one
  // that is not a regular file, and one whose header or size does not give
  // 3328 x 3328 gray samples. The file is read `rowsPerRead` rows at a time.
  GrayBitmapReader(std::filesystem::path path, std::string role, int rowsPerRead = 100);

  // The samples of row y, 0..255 each, into row[0..3327]. Rows are best asked
  // for in order: each block read serves the rows that follow it. Throws
  // RunError for an 8-bit pixel whose index lies beyond the palette.
  void sampleRow(int y, std::uint8_t* row);

 private:
  void readBlockFor(int storedRow);
  [[noreturn]] void refuse(const std::string& problem) const;

  PositionedFile file_;
  BitmapLayout layout_;
  std::vector<std::uint8_t> block_;
  int rowsPerRead_;
  int blockFirstRow_ = 0;  // stored rows
  int blockRows_ = 0;
};

}  // namespace brackwyn
