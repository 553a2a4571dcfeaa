// LAND, 29739 bytes whatever the landscape. Offsets from the record's first
// byte; every number little-endian.
//
//   offset  bytes  content
//        0     16  record header "LAND", size 29723
//       16      8  "INTV", 8
//       24      8  grid X, grid Y: signed 32-bit
//       32      8  "DATA", 4
//       40      4  land flags 11
//       44      8  "VNML", 12675
//       52  12675  vertex normals: x, y, z signed bytes per vertex, vertex
//                  order; zeros unless normals are on (land/cell_normals.cpp)
//    12727      8  "VHGT", 4232
//    12735      4  base height of the cell: 32-bit float, in steps of 8 units
//    12739   4225  height steps: one signed byte per vertex, vertex order
//    16964      3  zeros that pad the heights to 4232 bytes
//    16967      8  "WNAM", 81
//    16975     81  world-map heights: 9 x 9 signed bytes; zeros unless
//                  normals are on (land/cell_normals.cpp)
//    17056      8  "VCLR", 12675
//    17064  12675  vertex colours: red, green, blue per vertex, vertex order
//
// Textured land adds one sub-record, 520 bytes (30259 a record), and the
// texture bit (4) in the land flags, 15:
//
//    29739      8  "VTEX", 512
//    29747    512  the texture of each of the 16 x 16 squares, uint16: its
//                  LTEX index + 1, or 0 for the game's default texture
//
// VTEX does not store the squares row by row: it holds four by four blocks
// of four by four squares, blocks row by row from the south-west, and the
// squares of each block row by row, the order the game reads them in.
#include "plugin/land_record.hpp"

#include <array>
#include <span>

namespace brackwyn {
namespace {

// Bit 0 heights, bit 1 vertex colours; bit 3 is set too, its meaning is not
// documented.
constexpr std::int32_t kLandDataFlags = 11;
constexpr std::int32_t kLandTexturesFlag = 4;
constexpr int kBlockSide = 4;  // squares per block side, and blocks per cell side

void WriteHeights(RecordWriter& out, CellPosition cell, const CellHeights& heights) {
  out.startSubRecord("VHGT");
  out.writeFloat(heights.baseHeight[static_cast<std::size_t>(cell.index)]);
  out.writeBytes(std::span(heights.steps(cell.index), kVerticesPerCell));
  out.writeZeros(kVhgtPaddingBytes);
  out.endSubRecord();
}

template <std::size_t N>
void WriteBytesOrZeros(RecordWriter& out, Tag tag, const std::array<std::uint8_t, N>* bytes) {
  out.startSubRecord(tag);
  if (bytes != nullptr)
    out.writeBytes(std::span(*bytes));
  else
    out.writeZeros(N);
  out.endSubRecord();
}

void WriteTextures(RecordWriter& out, std::span<const std::uint16_t> squares) {
  std::array<std::uint8_t, kLandTextureBytes> bytes;
  std::size_t at = 0;
  for (int blockV = 0; blockV < kBlockSide; ++blockV) {
    for (int blockU = 0; blockU < kBlockSide; ++blockU) {
      for (int v = blockV * kBlockSide; v < (blockV + 1) * kBlockSide; ++v) {
        for (int u = blockU * kBlockSide; u < (blockU + 1) * kBlockSide; ++u) {
          std::uint16_t value =
              squares[static_cast<std::size_t>(v * kTextureSquaresPerCellSide + u)];
          bytes[at++] = static_cast<std::uint8_t>(value);
          bytes[at++] = static_cast<std::uint8_t>(value >> 8);
        }
      }
    }
  }
  out.writeSubRecord("VTEX", bytes);
}

}  // namespace

void WriteLandRecord(RecordWriter& out, CellPosition cell, const CellHeights& heights,
                     const CellColors& colors, const CellNormals* normals,
                     std::span<const std::uint16_t> textureSquares) {
  const bool textured = !textureSquares.empty();
  out.startRecord("LAND");
  out.startSubRecord("INTV");
  out.writeInt32(cell.gridX());
  out.writeInt32(cell.gridY());
  out.endSubRecord();
  out.writeInt32SubRecord("DATA", kLandDataFlags | (textured ? kLandTexturesFlag : 0));
  WriteBytesOrZeros(out, "VNML", normals != nullptr ? &normals->normals : nullptr);
  WriteHeights(out, cell, heights);
  WriteBytesOrZeros(out, "WNAM", normals != nullptr ? &normals->mapHeights : nullptr);
  out.writeSubRecord("VCLR", std::span(colors.cell(cell.index), kCellColorBytes));
  if (textured)
    WriteTextures(out, textureSquares);
  out.endRecord();
}

}  // namespace brackwyn
