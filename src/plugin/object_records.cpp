// Object records.
//
//   STAT, one per object kind in kind order:
//     NAME  the kind's id with a closing zero
//     MODL  the id followed by ".NIF", with a closing zero
//   In every CELL while objects are not off, after DATA:
//     NAM0  the cell's reference count (int32), also when it is 0
//     per reference, anchors in row order (bottom to top, left to right):
//       FRMR  reference number, 1 up in every cell (int32)
//       NAME  the kind's id with a closing zero
//       XSCL  scale (float): a hundredth from 1 - v/100 to 1 + v/100
//       DATA  X, Y, Z, rotation about X, Y, Z (six floats); X and Y rotation 0
//
// Scale and rotation continue the run's random stream, two draws a
// reference, the scale first. Z lies on the terrain: each quad of four
// vertices is split into two triangles along a diagonal that alternates like
// a checkerboard, and the anchor's height is taken from its triangle.
//
// Objects.dat is read one band of 512 sub-cell rows (one row of cells) at a
// time. FRMR.dat holds the references of the cell written last.
#include "plugin/object_records.hpp"

#include <cmath>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/positioned_file.hpp"
#include "core/thread_count.hpp"
#include "core/units.hpp"
#include "objects/placed_objects_reader.hpp"
#include "objects/work_file_names.hpp"

namespace brackwyn {
namespace {

constexpr double kRotationRange = 7.28318530717959;
constexpr std::string_view kWorkFileRole = "object work file";

void WriteFloatSubRecord(RecordWriter& out, Tag tag, float value) {
  out.startSubRecord(tag);
  out.writeFloat(value);
  out.endSubRecord();
}

}  // namespace

float ReferenceScale(int scaleVariation, float draw) {
  double hundredths = std::floor((2.0 * scaleVariation + 1) * draw - scaleVariation) + 100;
  return static_cast<float>(hundredths / 100);
}

float ReferenceRotation(float draw) {
  return static_cast<float>(draw * kRotationRange);
}

float TerrainHeightAt(const HeightGrid& grid, int column, int row, int k, int j) {
  const int p = kQuadsPerCellSide * column + k / 8;
  const int q = kQuadsPerCellSide * row + j / 8;
  const double fx = (k % 8) / 8.0;
  const double fy = (j % 8) / 8.0;
  // int32: eight times a 16-bit height does not fit in 16 bits
  const double h00 = kUnitsPerHeightStep * std::int32_t{grid.at(p, q)};
  const double h10 = kUnitsPerHeightStep * std::int32_t{grid.at(p + 1, q)};
  const double h01 = kUnitsPerHeightStep * std::int32_t{grid.at(p, q + 1)};
  const double h11 = kUnitsPerHeightStep * std::int32_t{grid.at(p + 1, q + 1)};
  double z;
  if ((p + q) % 2 == 0) {  // diagonal from (p, q) to (p + 1, q + 1)
    if (fx > fy)
      z = (h00 - h10) * (1 - fx) + h10 + (h11 - h10) * fy;
    else
      z = (h00 - h01) * (1 - fy) + h01 + (h11 - h01) * fx;
  } else {  // diagonal from (p + 1, q) to (p, q + 1)
    if (1 - fx > fy)
      z = fx * (h10 - h00) + h00 + (h01 - h00) * fy;
    else
      z = (1 - fx) * (h01 - h11) + (h10 - h11) * (1 - fy) + h11;
  }
  return static_cast<float>(z);
}

int WriteStaticsBlock(const ObjectPalette& palette, RecordWriter& out) {
  for (const ObjectKind& kind : palette.kinds) {
    out.startRecord("STAT");
    out.writeZStringSubRecord("NAME", kind.id);
    out.writeZStringSubRecord("MODL", kind.id + ".NIF");
    out.endRecord();
  }
  return palette.kindCount();
}

struct CellReferenceWriter::Impl {
  explicit Impl(RunContext& run);

  const std::vector<PlacedObjectsReader::Anchor>& anchorsOf(int column, int row);
  void writeReferences(int column, int row, const std::vector<PlacedObjectsReader::Anchor>& anchors,
                       RandomStream& random, std::vector<PlacedObject>& placedOut,
                       RecordWriter& out);
  void keepInReferencesFile(const std::uint8_t* block, std::size_t size);

  RunContext& run;
  // With two threads or more, it reads and scans the next row of cells on a
  // thread of its own.
  PlacedObjectsReader placed;
  PositionedFile references;
  std::size_t referencesFileSize = 0;
};

CellReferenceWriter::Impl::Impl(RunContext& run)
    : run(run),
      placed(run.state.resolve(kObjectsFileName), run.state.objectPalette.kindCount(),
             ThreadCount() >= 2),
      references(PositionedFile::CreateNew(run.state.resolve(kReferencesFileName),
                                           run.state.resolve(kReferencesFileName),
                                           std::string(kWorkFileRole))) {
  if (run.state.heightGrid.empty())
    throw std::logic_error("object references need the height grid");
}

const std::vector<PlacedObjectsReader::Anchor>& CellReferenceWriter::Impl::anchorsOf(int column,
                                                                                     int row) {
  return placed.anchorsOf(column, row);
}

void CellReferenceWriter::Impl::writeReferences(
    int column, int row, const std::vector<PlacedObjectsReader::Anchor>& anchors,
    RandomStream& random, std::vector<PlacedObject>& placedOut, RecordWriter& out) {
  const ObjectPalette& palette = run.state.objectPalette;
  const int originX = (column + run.state.parameters.worldX) * kUnitsPerCell;
  const int originY = (row + run.state.parameters.worldY) * kUnitsPerCell;
  std::int32_t number = 0;
  for (const PlacedObjectsReader::Anchor& anchor : anchors) {
    const ObjectKind& entry = palette.kind(anchor.kind);
    placedOut.push_back({static_cast<std::uint16_t>(column * kSubCellsPerCellSide + anchor.k),
                         static_cast<std::uint16_t>(row * kSubCellsPerCellSide + anchor.j),
                         static_cast<std::uint8_t>(anchor.kind)});
    float scale = ReferenceScale(entry.scaleVariation, random.next());
    float rotation = ReferenceRotation(random.next());
    out.writeInt32SubRecord("FRMR", ++number);
    out.writeZStringSubRecord("NAME", entry.id);
    WriteFloatSubRecord(out, "XSCL", scale);
    out.startSubRecord("DATA");
    out.writeFloat(static_cast<float>(originX + kUnitsPerSubCell * anchor.k));
    out.writeFloat(static_cast<float>(originY + kUnitsPerSubCell * anchor.j));
    out.writeFloat(TerrainHeightAt(run.state.heightGrid, column, row, anchor.k, anchor.j));
    out.writeFloat(0.0f);
    out.writeFloat(0.0f);
    out.writeFloat(rotation);
    out.endSubRecord();
  }
}

void CellReferenceWriter::Impl::keepInReferencesFile(const std::uint8_t* block, std::size_t size) {
  references.writeFully(block, size, 0);
  if (referencesFileSize > size)
    references.setSize(size, "write");
  referencesFileSize = size;
}

CellReferenceWriter::CellReferenceWriter(RunContext& run) : impl_(std::make_unique<Impl>(run)) {}

CellReferenceWriter::~CellReferenceWriter() = default;

void CellReferenceWriter::writeCell(int column, int row, RecordWriter& cellRecord) {
  std::size_t blockStart =
      encodeCell(column, row, cellRecord, impl_->run.state.random, impl_->run.state.placedObjects);
  keepInReferencesFile(cellRecord.bytes().data() + blockStart, cellRecord.size() - blockStart);
}

std::size_t CellReferenceWriter::encodeCell(int column, int row, RecordWriter& cellRecord,
                                            RandomStream& random,
                                            std::vector<PlacedObject>& placed) {
  const auto& anchors = impl_->anchorsOf(column, row);
  cellRecord.writeInt32SubRecord("NAM0", static_cast<std::int32_t>(anchors.size()));
  std::size_t blockStart = cellRecord.size();
  impl_->writeReferences(column, row, anchors, random, placed, cellRecord);
  return blockStart;
}

void CellReferenceWriter::keepInReferencesFile(const std::uint8_t* block, std::size_t size) {
  impl_->keepInReferencesFile(block, size);
}

}  // namespace brackwyn
