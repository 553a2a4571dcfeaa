#include "objects/placed_objects_reader.hpp"

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
constexpr int kScanBytes = 64;
static_assert(kSubCellsPerCellSide % kScanBytes == 0);

std::uint64_t Load64(const std::uint8_t* bytes) {
  std::uint64_t word;
  std::memcpy(&word, bytes, sizeof word);
  return word;
}

}  // namespace

PlacedObjectsReader::PlacedObjectsReader(std::filesystem::path objectsFile, int kindCount)
    : file_(PositionedFile::OpenIfPresent(std::move(objectsFile), std::string(kRole),
                                          platform::OpenMode::Read, "read")),
      kindCount_(kindCount),
      band_(kCellBandBytes, 0) {}

void PlacedObjectsReader::loadBand(int row) {
  bandRow_ = row;
  if (!file_.isOpen()) {
    std::memset(band_.data(), 0, band_.size());
    return;
  }
  // Only allocated ranges are read: reading the holes of the sparse file would
  // make the system fill hundreds of megabytes of cache with zeros. Only the
  // holes, and what a short file lacks, are zeroed here.
  const std::uint64_t begin = static_cast<std::uint64_t>(row) * kCellBandBytes;
  std::size_t filled = 0;
  for (const auto& [from, to] : file_.dataRanges(begin, begin + kCellBandBytes)) {
    const auto start = static_cast<std::size_t>(from - begin);
    std::memset(band_.data() + filled, 0, start - filled);
    filled = start + file_.readUpTo(band_.data() + start, to - from, from);
  }
  std::memset(band_.data() + filled, 0, band_.size() - filled);
}

const std::vector<PlacedObjectsReader::Anchor>& PlacedObjectsReader::anchorsOf(int column,
                                                                               int row) {
  if (bandRow_ != row)
    loadBand(row);
  anchors_.clear();
  for (int j = 0; j < kSubCellsPerCellSide; ++j) {
    const std::uint8_t* blockRow = band_.data() + static_cast<std::size_t>(j) * kSubCellRowBytes +
                                   static_cast<std::size_t>(column) * kSubCellsPerCellSide;
    for (int chunk = 0; chunk < kSubCellsPerCellSide; chunk += kScanBytes) {
      // most of a cell's bytes are zero: they are skipped 64 at a time
      if (!AnyNonzero(blockRow + chunk, kScanBytes))
        continue;
      for (int k = chunk; k < chunk + kScanBytes; k += 8)
        addAnchorsOfWord(blockRow, k, j, column, row);
    }
  }
  return anchors_;
}

void PlacedObjectsReader::addAnchorsOfWord(const std::uint8_t* blockRow, int k, int j, int column,
                                           int row) {
  // the top bit of every nonzero byte, so only anchors are visited
  constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;
  const std::uint64_t word = Load64(blockRow + k);
  std::uint64_t nonzero = (((word & kLow7) + kLow7) | word) & ~kLow7;
  for (; nonzero != 0; nonzero &= nonzero - 1) {
    int b = std::countr_zero(nonzero) / 8;
    int kind = blockRow[k + b];
    if (kind > kindCount_) {
      throw RunError(NameFile(kRole, file_.path()) + " holds kind " + std::to_string(kind) +
                     " at sub-cell (" + std::to_string(column * kSubCellsPerCellSide + k + b) +
                     ", " + std::to_string(row * kSubCellsPerCellSide + j) +
                     "), but the object index lists " + std::to_string(kindCount_) +
                     " kinds. Run again with object creation on.");
    }
    anchors_.push_back({k + b, j, kind});
  }
}

}  // namespace brackwyn
