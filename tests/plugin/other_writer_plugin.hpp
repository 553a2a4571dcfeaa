// A plugin as another tool might write it: two masters, a GMST and an LTEX
// record, the LAND before its CELL with its sub-records in another order and
// no normals, a reference standing outside its cell, an interior cell, and a
// LAND whose cell has no CELL record.
#pragma once

#include <cstdint>
#include <vector>

#include "core/units.hpp"
#include "plugin/record_writer.hpp"

namespace brackwyn::testing {

inline constexpr std::uint64_t kOtherMasterSize = 79'837'557;

inline void WriteOtherLand(RecordWriter& out, int gridX, int gridY, std::int8_t step) {
  out.startRecord("LAND");
  out.startSubRecord("INTV");
  out.writeInt32(gridX);
  out.writeInt32(gridY);
  out.endSubRecord();
  out.startSubRecord("VCLR");
  out.writeFill(200, std::size_t{kVerticesPerCell} * 3);
  out.endSubRecord();
  out.startSubRecord("VHGT");
  out.writeFloat(40.0f);
  out.writeFill(0, 1);
  out.writeFill(static_cast<std::uint8_t>(step), kVerticesPerCell - 1);
  out.writeZeros(3);
  out.endSubRecord();
  out.writeInt32SubRecord("DATA", 9);
  out.endRecord();
}

inline void WriteOtherReference(RecordWriter& out, std::int32_t number, const char* id, float x,
                                float y) {
  out.writeInt32SubRecord("FRMR", number);
  out.writeZStringSubRecord("NAME", id);
  out.startSubRecord("DATA");
  for (float value : {x, y, 64.0f, 0.0f, 0.0f, 1.0f})
    out.writeFloat(value);
  out.endSubRecord();
}

inline std::vector<std::uint8_t> OtherWriterPlugin() {
  RecordWriter out;
  out.startRecord("TES3");
  out.startSubRecord("HEDR");
  out.writeFloat(1.3f);
  out.writeInt32(0);
  out.writeText("Someone");
  out.writeZeros(32 - 7);
  out.writeText("A test");
  out.writeZeros(256 - 6);
  out.writeInt32(7);
  out.endSubRecord();
  for (const char* master : {"Morrowind.esm", "Tribunal.esm"}) {
    out.writeZStringSubRecord("MAST", master);
    out.startSubRecord("DATA");
    out.writeInt32(static_cast<std::int32_t>(kOtherMasterSize));
    out.writeInt32(0);
    out.endSubRecord();
  }
  out.endRecord();
  out.startRecord("GMST");
  out.writeZStringSubRecord("NAME", "sTest");
  out.writeZStringSubRecord("STRV", "hello");
  out.endRecord();
  out.startRecord("LTEX");
  out.writeZStringSubRecord("NAME", "grass");
  out.writeInt32SubRecord("INTV", 1);
  out.writeZStringSubRecord("DATA", "tx_grass.dds");
  out.endRecord();
  WriteOtherLand(out, 3, 4, 1);
  out.startRecord("CELL");
  out.startSubRecord("DATA");
  out.writeInt32(2);
  out.writeInt32(3);
  out.writeInt32(4);
  out.endSubRecord();
  out.writeZStringSubRecord("NAME", "Wilds");
  out.writeInt32SubRecord("NAM0", 2);
  WriteOtherReference(out, 1, "flora_tree", 3 * 8192 + 100.0f, 4 * 8192 + 50.0f);
  WriteOtherReference(out, 2, "rock", 2 * 8192 - 5.0f, 4 * 8192 + 1.0f);  // one cell west
  out.endRecord();
  WriteOtherLand(out, 5, 4, -1);  // no CELL for (5, 4)
  out.startRecord("CELL");
  out.writeZStringSubRecord("NAME", "Cave");
  out.startSubRecord("DATA");
  out.writeInt32(1);
  out.writeInt32(0);
  out.writeInt32(0);
  out.endSubRecord();
  out.endRecord();
  return out.toVector();
}

}  // namespace brackwyn::testing
