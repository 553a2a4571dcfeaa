// The object extensions of the plugin writer: STAT records for the object
// kinds, and each cell's NAM0 count and references.
#pragma once

#include <memory>

#include "app/run_state.hpp"
#include "plugin/record_writer.hpp"

namespace brackwyn {

// Appends one STAT record per kind, in kind order; returns how many.
int WriteStaticsBlock(const ObjectPalette& palette, RecordWriter& out);

// Writes the NAM0 sub-record and the references of one cell into the CELL
// record that `cellRecord` has open, from the cell's block of Objects.dat.
// Continues the run's random stream: two draws (scale, rotation) a reference.
class CellReferenceWriter {
 public:
  explicit CellReferenceWriter(RunContext& run);
  ~CellReferenceWriter();
  CellReferenceWriter(const CellReferenceWriter&) = delete;
  CellReferenceWriter& operator=(const CellReferenceWriter&) = delete;

  void writeCell(int column, int row, RecordWriter& cellRecord);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace brackwyn
