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

#include <fcntl.h>
#include <unistd.h>

#include <bit>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/file_descriptor.hpp"
#include "app/file_io.hpp"
#include "app/run_error.hpp"
#include "app/units.hpp"

namespace brackwyn {
namespace {

constexpr std::size_t kRowBytes = kSubCellGridSide;
constexpr std::size_t kCellBandBytes = kRowBytes * kSubCellsPerCellSide;
constexpr double kRotationRange = 7.28318530717959;
constexpr std::string_view kObjectsFile = "Objects.dat";
constexpr std::string_view kReferencesFile = "FRMR.dat";
constexpr std::string_view kWorkFileRole = "object work file";

[[noreturn]] void FailFile(std::string_view what, const std::filesystem::path& path, int error) {
  throw RunError("Cannot " + std::string(what) + " " + NameFile(kWorkFileRole, path) + ": " +
                 std::strerror(error) + ".");
}

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

  void loadBand(int row);
  void readBand(off_t offset, off_t size);
  // The cell's anchors in row order, bottom to top, left to right.
  void findAnchors(int column);
  void writeReferences(int column, int row, RecordWriter& out);
  void keepInReferencesFile(const std::uint8_t* block, std::size_t size);

  RunContext& run;
  std::filesystem::path objectsPath;
  std::filesystem::path referencesPath;
  FileDescriptor objects;  // none when Objects.dat does not exist: no objects anywhere
  FileDescriptor references;
  std::size_t referencesFileSize = 0;
  std::vector<std::uint8_t> band;  // sub-cell rows 512 * bandRow .. + 511
  int bandRow = -1;
  struct Anchor {
    int k, j, kind;  // block column and row
  };
  std::vector<Anchor> anchors;
};

CellReferenceWriter::Impl::Impl(RunContext& run)
    : run(run),
      objectsPath(run.state.resolve(kObjectsFile)),
      referencesPath(run.state.resolve(kReferencesFile)),
      band(kCellBandBytes, 0) {
  objects.reset(::open(objectsPath.c_str(), O_RDONLY | O_CLOEXEC));
  if (objects.get() < 0 && errno != ENOENT)
    FailFile("read", objectsPath, errno);
  references.reset(::open(referencesPath.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
  if (references.get() < 0)
    FailFile("create", referencesPath, errno);
  if (run.state.heightGrid.empty())
    throw std::logic_error("object references need the height grid");
}

void CellReferenceWriter::Impl::loadBand(int row) {
  bandRow = row;
  std::memset(band.data(), 0, band.size());
  if (objects.get() < 0)
    return;
  // Only allocated ranges are read: reading the holes of the sparse file would
  // make the system fill hundreds of megabytes of cache with zeros.
  const auto begin = static_cast<off_t>(static_cast<std::uint64_t>(row) * kCellBandBytes);
  const auto end = begin + static_cast<off_t>(kCellBandBytes);
  off_t at = begin;
  while (at < end) {
    off_t data = ::lseek(objects.get(), at, SEEK_DATA);
    if (data < 0 && errno == ENXIO)
      break;  // nothing but holes up to the end of the file
    off_t hole = data < 0 ? end : ::lseek(objects.get(), data, SEEK_HOLE);
    if (data < 0)
      data = at;  // no hole detection here: read it all
    if (data >= end)
      break;
    if (hole < 0 || hole > end)
      hole = end;
    readBand(data - begin, hole - data);
    at = hole;
  }
}

void CellReferenceWriter::Impl::readBand(off_t offset, off_t size) {
  const off_t fileOffset = static_cast<off_t>(static_cast<std::uint64_t>(bandRow) * kCellBandBytes);
  std::uint8_t* out = band.data() + offset;
  while (size > 0) {
    ssize_t n = ::pread(objects.get(), out, static_cast<std::size_t>(size), fileOffset + offset);
    if (n < 0 && errno == EINTR)
      continue;
    if (n < 0)
      FailFile("read", objectsPath, errno);
    if (n == 0)
      return;  // a short file holds no objects beyond its end
    out += n;
    offset += n;
    size -= n;
  }
}

void CellReferenceWriter::Impl::findAnchors(int column) {
  const int kinds = run.state.objectPalette.kindCount();
  anchors.clear();
  for (int j = 0; j < kSubCellsPerCellSide; ++j) {
    const std::uint8_t* blockRow = band.data() + static_cast<std::size_t>(j) * kRowBytes +
                                   static_cast<std::size_t>(column) * kSubCellsPerCellSide;
    for (int k = 0; k < kSubCellsPerCellSide; k += 8) {
      std::uint64_t word;
      std::memcpy(&word, blockRow + k, sizeof word);
      if (word == 0)
        continue;
      // the top bit of every nonzero byte, so only anchors are visited
      constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;
      std::uint64_t nonzero = (((word & kLow7) + kLow7) | word) & ~kLow7;
      for (; nonzero != 0; nonzero &= nonzero - 1) {
        int b = std::countr_zero(nonzero) / 8;
        int kind = blockRow[k + b];
        if (kind > kinds) {
          throw RunError(NameFile(kWorkFileRole, objectsPath) + " holds kind " +
                         std::to_string(kind) + " at sub-cell (" +
                         std::to_string(column * kSubCellsPerCellSide + k + b) + ", " +
                         std::to_string(bandRow * kSubCellsPerCellSide + j) +
                         "), but the object index lists " + std::to_string(kinds) +
                         " kinds. Run again with object creation on.");
        }
        anchors.push_back({k + b, j, kind});
      }
    }
  }
}

void CellReferenceWriter::Impl::writeReferences(int column, int row, RecordWriter& out) {
  const ObjectPalette& palette = run.state.objectPalette;
  RandomStream& random = run.state.random;
  const int originX = (column - kCellGridOrigin) * kUnitsPerCell;
  const int originY = (row - kCellGridOrigin) * kUnitsPerCell;
  std::int32_t number = 0;
  for (const Anchor& anchor : anchors) {
    const ObjectKind& entry = palette.kind(anchor.kind);
    run.state.placedObjects.push_back(
        {static_cast<std::uint16_t>(column * kSubCellsPerCellSide + anchor.k),
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
  std::size_t done = 0;
  while (done < size) {
    ssize_t n = ::pwrite(references.get(), block + done, size - done, static_cast<off_t>(done));
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      FailFile("write", referencesPath, n == 0 ? ENOSPC : errno);
    done += static_cast<std::size_t>(n);
  }
  if (referencesFileSize > size && ::ftruncate(references.get(), static_cast<off_t>(size)) != 0)
    FailFile("write", referencesPath, errno);
  referencesFileSize = size;
}

CellReferenceWriter::CellReferenceWriter(RunContext& run) : impl_(std::make_unique<Impl>(run)) {}

CellReferenceWriter::~CellReferenceWriter() = default;

void CellReferenceWriter::writeCell(int column, int row, RecordWriter& cellRecord) {
  if (impl_->bandRow != row)
    impl_->loadBand(row);
  impl_->findAnchors(column);
  cellRecord.writeInt32SubRecord("NAM0", static_cast<std::int32_t>(impl_->anchors.size()));
  std::size_t blockStart = cellRecord.size();
  impl_->writeReferences(column, row, cellRecord);
  impl_->keepInReferencesFile(cellRecord.bytes().data() + blockStart,
                              cellRecord.size() - blockStart);
}

}  // namespace brackwyn
