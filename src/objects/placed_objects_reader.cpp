#include "objects/placed_objects_reader.hpp"

#include <bit>
#include <cstring>
#include <string>

#include "core/run_error.hpp"
#include "objects/placement_files.hpp"

namespace brackwyn {
namespace {

constexpr std::size_t kCellBandBytes = kSubCellRowBytes * kSubCellsPerCellSide;
constexpr std::string_view kRole = "object work file";

}  // namespace

PlacedObjectsReader::PlacedObjectsReader(std::filesystem::path objectsFile, int kindCount)
    : file_(PositionedFile::OpenIfPresent(std::move(objectsFile), std::string(kRole),
                                          platform::OpenMode::Read, "read")),
      kindCount_(kindCount),
      band_(kCellBandBytes, 0) {}

void PlacedObjectsReader::loadBand(int row) {
  bandRow_ = row;
  std::memset(band_.data(), 0, band_.size());
  if (!file_.isOpen())
    return;
  // Only allocated ranges are read: reading the holes of the sparse file would
  // make the system fill hundreds of megabytes of cache with zeros.
  const std::uint64_t begin = static_cast<std::uint64_t>(row) * kCellBandBytes;
  for (const auto& [from, to] : file_.dataRanges(begin, begin + kCellBandBytes))
    file_.readUpTo(band_.data() + (from - begin), to - from, from);  // a short file ends early
}

const std::vector<PlacedObjectsReader::Anchor>& PlacedObjectsReader::anchorsOf(int column,
                                                                               int row) {
  if (bandRow_ != row)
    loadBand(row);
  anchors_.clear();
  for (int j = 0; j < kSubCellsPerCellSide; ++j) {
    const std::uint8_t* blockRow = band_.data() + static_cast<std::size_t>(j) * kSubCellRowBytes +
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
  }
  return anchors_;
}

}  // namespace brackwyn
