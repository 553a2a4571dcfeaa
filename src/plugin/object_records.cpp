#include "plugin/object_records.hpp"

#include "app/run_error.hpp"

namespace brackwyn {

int WriteStaticsBlock(const ObjectPalette& palette, RecordWriter& out) {
  (void)palette;
  (void)out;
  throw RunError("Object records are not built yet.");
}

struct CellReferenceWriter::Impl {};

CellReferenceWriter::CellReferenceWriter(RunContext& run) {
  (void)run;
  throw RunError("Object records are not built yet.");
}

CellReferenceWriter::~CellReferenceWriter() = default;

void CellReferenceWriter::writeCell(int, int, RecordWriter&) {}

}  // namespace brackwyn
