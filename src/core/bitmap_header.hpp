// The header of a 3328 x 3328 grayscale bitmap, read into the layout of its
// pixel data. Pure functions on bytes, so that they can be tested and fuzzed
// without files.
//
// A bitmap file starts with a 14-byte file header and an information header
// of 40 (BITMAPINFOHEADER), 108 (V4) or 124 (V5) bytes; all numbers are
// little-endian:
//
//   offset  0  2  "BM"
//   offset 10  4  pixel data offset from the start of the file
//   offset 14  4  information header size: 40, 108 or 124
//   offset 18  4  width, signed: must be 3328
//   offset 22  4  height, signed: 3328 for bottom-up rows, -3328 for top-down
//   offset 26  2  planes: 1
//   offset 28  2  bits per pixel: 8, 24 or 32
//   offset 30  4  compression: 0 none, 3 bit fields (32-bit only)
//   offset 46  4  palette entries (8-bit only; 0 means 256)
//   offset 54 12  red, green, blue masks of 32-bit bit fields (inside a V4 or
//                 V5 header, right after a 40-byte one)
//   14 + header size: the palette, 4 bytes an entry (blue, green, red, 0)
//
// Rows are padded to a multiple of 4 bytes. The sample of a pixel is its
// green byte (24- and 32-bit) or the green of its palette entry (8-bit): the
// three colour bytes of a gray image are equal. Anything else (RLE, JPEG or
// PNG compression, other sizes, 16-bit pixels, other masks) is refused: it
// would give wrong heights without a word.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace brackwyn {

// A file's first bytes up to this many hold every header and palette byte.
inline constexpr std::size_t kBitmapHeadBytes = 14 + 124 + 256 * 4;

struct BitmapLayout {
  int bitsPerPixel = 24;  // 8, 24 or 32
  bool topDown = false;   // the first stored row is the top of the picture
  std::uint64_t dataOffset = 0;
  std::size_t rowStride = 0;     // bytes a stored row takes, padding included
  std::size_t rowDataBytes = 0;  // bytes of a row up to and including its last sample
  int paletteEntries = 0;        // 8-bit only
  std::array<std::uint8_t, 256> paletteGreen{};

  // The stored row that holds picture row y (row 0 at the bottom).
  int storedRow(int y) const;
  // Bytes the file must hold: the last stored row may end right after its
  // last sample.
  std::uint64_t neededBytes() const;
};

// `head`: the file's first min(size, kBitmapHeadBytes) bytes; `fileSize`: its
// size. Returns nullopt and sets `problem` to what the file is, for a message
// ("it is 2000 x 2000 pixels").
std::optional<BitmapLayout> ParseBitmapHeader(std::span<const std::uint8_t> head,
                                              std::uint64_t fileSize, std::string* problem);

// The samples of one stored row, whose bytes start at `stored`, into
// row[0..3327]. Returns the first pixel column whose palette index lies
// beyond the palette, or -1 when every pixel is good.
int SampleStoredRow(const BitmapLayout& layout, const std::uint8_t* stored, std::uint8_t* row);

// What SampleStoredRow takes the green samples of 24-bit bitmaps with on this
// processor, for benchmarks to name.
const char* SampleInstructionSet();

}  // namespace brackwyn
