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
#include "plugin/land_record.hpp"

#include <span>

namespace brackwyn {
namespace {

// Bit 0 heights, bit 1 vertex colours; bit 3 is set too, its meaning is not
// documented.
constexpr std::int32_t kLandDataFlags = 11;

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

}  // namespace

void WriteLandRecord(RecordWriter& out, CellPosition cell, const CellHeights& heights,
                     const CellColors& colors, const CellNormals* normals) {
  out.startRecord("LAND");
  out.startSubRecord("INTV");
  out.writeInt32(cell.gridX());
  out.writeInt32(cell.gridY());
  out.endSubRecord();
  out.writeInt32SubRecord("DATA", kLandDataFlags);
  WriteBytesOrZeros(out, "VNML", normals != nullptr ? &normals->normals : nullptr);
  WriteHeights(out, cell, heights);
  WriteBytesOrZeros(out, "WNAM", normals != nullptr ? &normals->mapHeights : nullptr);
  out.writeSubRecord("VCLR", std::span(colors.cell(cell.index), kCellColorBytes));
  out.endRecord();
}

}  // namespace brackwyn
