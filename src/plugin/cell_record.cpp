// CELL, in file order: the 16-byte record header; NAME (1 byte: the zero that
// ends the empty name); DATA (12 bytes: flags 0, grid X, grid Y, each a signed
// 32-bit little-endian integer). With object creation, NAM0 and the references
// follow (object_records.cpp). Without them the record is 45 bytes.
#include "plugin/cell_record.hpp"

namespace brackwyn {
namespace {

// No interior, water or other flags: a plain exterior cell.
constexpr std::int32_t kExteriorCellFlags = 0;

}  // namespace

void StartCellRecord(RecordWriter& out, CellPosition cell) {
  out.startRecord("CELL");
  out.writeZStringSubRecord("NAME", "");
  out.startSubRecord("DATA");
  out.writeInt32(kExteriorCellFlags);
  out.writeInt32(cell.gridX());
  out.writeInt32(cell.gridY());
  out.endSubRecord();
}

}  // namespace brackwyn
