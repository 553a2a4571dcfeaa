// The object extensions of the plugin writer: STAT records for the object
// kinds, and each cell's NAM0 count and references.
#pragma once

#include <memory>
#include <vector>

#include "model/run_state.hpp"
#include "plugin/record_writer.hpp"

namespace brackwyn {

// The values of one reference. `draw` is a draw of the run's random stream.
// Scale: (floor((2v + 1) draw - v) + 100) / 100 for a scale variation of v.
float ReferenceScale(int scaleVariation, float draw);
// Rotation about Z: draw * 7.28318530717959.
float ReferenceRotation(float draw);
// Terrain height at block column k, block row j (0..511) of cell (column, row).
float TerrainHeightAt(const HeightGrid& grid, int column, int row, int k, int j);

// Appends one STAT record per kind, in kind order; returns how many.
int WriteStaticsBlock(const ObjectPalette& palette, RecordWriter& out);

// Writes the NAM0 sub-record and the references of one cell into the CELL
// record that `cellRecord` has open, from the cell's block of Objects.dat.
// Continues the run's random stream: two draws (scale, rotation) a reference.
// When the machine has a core to spare, the anchors of the cells ahead are
// read out of Objects.dat on a thread of their own.
class CellReferenceWriter {
 public:
  explicit CellReferenceWriter(RunContext& run);
  ~CellReferenceWriter();
  CellReferenceWriter(const CellReferenceWriter&) = delete;
  CellReferenceWriter& operator=(const CellReferenceWriter&) = delete;

  void writeCell(int column, int row, RecordWriter& cellRecord);

  // writeCell in two halves, for a caller that encodes cells on another
  // thread than the one writing them: the NAM0 sub-record and references,
  // drawing from `random` and listing the objects in `placed`, returning
  // where the references start in `cellRecord`; then, in cell order, keeping
  // them in FRMR.dat.
  std::size_t encodeCell(int column, int row, RecordWriter& cellRecord, RandomStream& random,
                         std::vector<PlacedObject>& placed);
  void keepInReferencesFile(const std::uint8_t* block, std::size_t size);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace brackwyn
