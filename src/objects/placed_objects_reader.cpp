#include "objects/placed_objects_reader.hpp"

#include <algorithm>
#include <bit>
#include <cstring>
#include <string>

#include "core/nonzero_bytes.hpp"
#include "core/run_error.hpp"
#include "objects/placement_files.hpp"

namespace brackwyn {
namespace {

constexpr std::size_t kCellBandBytes = kSubCellRowBytes * kSubCellsPerCellSide;
constexpr std::string_view kRole = "object work file";
constexpr int kScanBytes = 64;  // the bytes NonzeroBytesOf64 looks at
static_assert(kSubCellsPerCellSide % kScanBytes == 0);
// The unit in which the work files are sparse. A cell's part of a sub-cell
// row (512 bytes, at a multiple of 512) lies inside one page.
constexpr std::size_t kPageBytes = 4096;
static_assert(kCellBandBytes % kPageBytes == 0 && kPageBytes % kSubCellsPerCellSide == 0 &&
              kSubCellRowBytes % kSubCellsPerCellSide == 0);
// 416 KiB: a whole number of pages, well inside a core's own cache.
constexpr int kSliceRows = 16;
constexpr std::size_t kSliceBytes = kSubCellRowBytes * kSliceRows;
static_assert(kSliceBytes % kPageBytes == 0 && kSubCellsPerCellSide % kSliceRows == 0);

}  // namespace

PlacedObjectsReader::PlacedObjectsReader(std::filesystem::path objectsFile, int kindCount,
                                         bool readBandsAhead)
    : file_(PositionedFile::OpenIfPresent(std::move(objectsFile), std::string(kRole),
                                          platform::OpenMode::Read, "read")),
      kindCount_(kindCount),
      band_(std::make_unique<Band>()) {
  // Two threads, each one band ahead: reading is the busiest part of writing
  // the plugin, and a third band would only hold memory.
  if (readBandsAhead && file_.isOpen()) {
    for (auto& sequence : bandsAhead_)
      sequence = std::make_unique<SequenceAhead<Band>>(1, WaitPlace::kObjectsRowTaken);
  }
}

void PlacedObjectsReader::enterBand(int row) {
  bandRow_ = -1;  // until the band is in, should reading it fail
  listData();
  if (!bandsAhead_[0]) {
    loadBand(row, *band_);
    bandRow_ = row;
    return;
  }
  // Bands of even rows come from one thread, of odd rows from the other.
  const auto readFrom = [this](int first) {
    SequenceAhead<Band>& sequence = *bandsAhead_[first % 2];
    if (first < kCellsPerSide && (!sequence.running() || sequence.next() != first / 2)) {
      const int parity = first % 2;
      sequence.start(first / 2, (kCellsPerSide - 1 - parity) / 2,
                     [this, parity](int half, Band& band) { loadBand(2 * half + parity, band); });
    }
  };
  readFrom(row);
  readFrom(row + 1);
  // Handed back before the next is taken, so that each thread makes the band
  // after it in this one's memory.
  if (band_)
    bandsAhead_[row % 2]->recycle(std::move(band_));
  band_ = bandsAhead_[row % 2]->take();
  bandRow_ = row;
}

void PlacedObjectsReader::listData() {
  if (dataListed_ || !file_.isOpen())
    return;
  dataRanges_ = file_.dataRanges(0, file_.size());
  dataListed_ = true;
}

// Runs on a read-ahead thread when there are some: it touches only `band`
// and reads the file and its listed data, which nothing changes meanwhile.
void PlacedObjectsReader::loadBand(int row, Band& band) const {
  band.cells.resize(kCellsPerSide);
  for (std::vector<Anchor>& anchors : band.cells)
    anchors.clear();
  band.refusedColumn = kCellsPerSide;
  band.refusal.clear();
  if (!file_.isOpen())
    return;
  for (int first = 0; first < kSubCellsPerCellSide; first += kSliceRows) {
    readSlice(row, first, band);
    scanSlice(row, first, band);
  }
}

void PlacedObjectsReader::readSlice(int row, int first, Band& band) const {
  band.slice.resize(kSliceBytes);
  band.heldPages.assign(kSliceBytes / kPageBytes, 0);
  // Only allocated ranges are read: reading the holes of the sparse file would
  // make the system fill hundreds of megabytes of cache with zeros. Holes are
  // neither zeroed nor scanned, only the parts of the pages a range starts or
  // ends in that it does not cover, or that a short file lacks.
  const std::uint64_t begin = static_cast<std::uint64_t>(row) * kCellBandBytes +
                              static_cast<std::uint64_t>(first) * kSubCellRowBytes;
  const std::uint64_t sliceEnd = begin + kSliceBytes;
  auto range = std::upper_bound(
      dataRanges_.begin(), dataRanges_.end(), begin,
      [](std::uint64_t at, const PositionedFile::Range& data) { return at < data.second; });
  for (; range != dataRanges_.end() && range->first < sliceEnd; ++range) {
    const std::uint64_t from = std::max(range->first, begin);
    const std::uint64_t to = std::min(range->second, sliceEnd);
    const auto start = static_cast<std::size_t>(from - begin);
    const auto end = static_cast<std::size_t>(to - begin);
    const std::size_t firstPage = start / kPageBytes;
    const std::size_t endPage = (end + kPageBytes - 1) / kPageBytes;
    std::uint8_t* bytes = band.slice.data();
    if (!band.heldPages[firstPage])  // else the range before filled its start
      std::memset(bytes + firstPage * kPageBytes, 0, start - firstPage * kPageBytes);
    const std::size_t filled = start + file_.readUpTo(bytes + start, end - start, from);
    std::memset(bytes + filled, 0, endPage * kPageBytes - filled);
    std::fill(band.heldPages.begin() + static_cast<std::ptrdiff_t>(firstPage),
              band.heldPages.begin() + static_cast<std::ptrdiff_t>(endPage), 1);
  }
}

const std::vector<PlacedObjectsReader::Anchor>& PlacedObjectsReader::anchorsOf(int column,
                                                                               int row) {
  if (bandRow_ != row)
    enterBand(row);
  if (column >= band_->refusedColumn)
    throw RunError(band_->refusal);
  return band_->cells[static_cast<std::size_t>(column)];
}

// Row by row, each cell's anchors come out bottom to top, left to right, and
// the refused column's message names its first anchor of an unlisted kind.
void PlacedObjectsReader::scanSlice(int row, int first, Band& band) const {
  for (int r = 0; r < kSliceRows; ++r) {
    for (int column = 0; column < band.refusedColumn; ++column) {
      const std::size_t offset = static_cast<std::size_t>(r) * kSubCellRowBytes +
                                 static_cast<std::size_t>(column) * kSubCellsPerCellSide;
      // Most of a cell's rows, and most stretches of the others, hold no anchor.
      if (band.heldPages[offset / kPageBytes] &&
          AnyNonzeroInBlocks(band.slice.data() + offset, kSubCellsPerCellSide))
        scanCellRow(band.slice.data() + offset, column, row, first + r, band);
    }
  }
}

void PlacedObjectsReader::scanCellRow(const std::uint8_t* bytes, int column, int row, int j,
                                      Band& band) const {
  auto& anchors = band.cells[static_cast<std::size_t>(column)];
  for (int chunk = 0; chunk < kSubCellsPerCellSide; chunk += kScanBytes) {
    for (std::uint64_t nonzero = NonzeroBytesOf64(bytes + chunk); nonzero != 0;
         nonzero &= nonzero - 1) {
      const int k = chunk + std::countr_zero(nonzero);
      const int kind = bytes[k];
      if (kind > kindCount_) {
        band.refusedColumn = column;
        band.refusal = NameFile(kRole, file_.path()) + " holds kind " + std::to_string(kind) +
                       " at sub-cell (" + std::to_string(column * kSubCellsPerCellSide + k) + ", " +
                       std::to_string(row * kSubCellsPerCellSide + j) +
                       "), but the object index lists " + std::to_string(kindCount_) +
                       " kinds. Run again with object creation on.";
        return;
      }
      anchors.push_back({k, j, kind});
    }
  }
}

}  // namespace brackwyn
