#include "core/gray_bitmap.hpp"

#include <algorithm>

#include "core/run_error.hpp"

namespace brackwyn {
GrayBitmapReader::GrayBitmapReader(std::filesystem::path path, std::string role, int rowsPerRead)
    : file_(std::move(path), std::move(role), platform::OpenMode::Read, "read"),
      rowsPerRead_(std::clamp(rowsPerRead, 1, kBitmapSide)) {
  file_.requireRegularFile("read");
  std::uint64_t size = file_.size();
  std::vector<std::uint8_t> head(std::min<std::uint64_t>(size, kBitmapHeadBytes));
  head.resize(file_.readUpTo(head.data(), head.size(), 0));
  std::string problem;
  std::optional<BitmapLayout> layout = ParseBitmapHeader(head, size, &problem);
  if (!layout)
    refuse(problem);
  layout_ = *layout;
  block_.resize(layout_.rowStride * static_cast<std::size_t>(rowsPerRead_));
}

void GrayBitmapReader::refuse(const std::string& problem) const {
  throw RunError("Cannot use " + NameFile(file_.role(), file_.path()) + ": " + problem +
                 ". Save it as an uncompressed 24-bit bitmap of 3328 x 3328 pixels.");
}

// A block runs from the asked row in the direction the rows are asked for:
// upwards in the file for bottom-up bitmaps, downwards for top-down ones.
void GrayBitmapReader::readBlockFor(int storedRow) {
  int first = layout_.topDown ? std::max(0, storedRow - rowsPerRead_ + 1) : storedRow;
  int rows = layout_.topDown ? storedRow - first + 1 : std::min(rowsPerRead_, kBitmapSide - first);
  // The last row read needs no bytes past its last sample.
  std::size_t wanted =
      layout_.rowStride * static_cast<std::size_t>(rows - 1) + layout_.rowDataBytes;
  std::uint64_t offset = layout_.dataOffset + std::uint64_t{layout_.rowStride} * first;
  if (file_.readUpTo(block_.data(), wanted, offset) < wanted)
    file_.fail("read", "it became shorter while it was being read");
  blockFirstRow_ = first;
  blockRows_ = rows;
}

void GrayBitmapReader::sampleRow(int y, std::uint8_t* row) {
  int stored = layout_.storedRow(y);
  if (stored < blockFirstRow_ || stored >= blockFirstRow_ + blockRows_)
    readBlockFor(stored);
  const std::uint8_t* bytes =
      block_.data() + layout_.rowStride * static_cast<std::size_t>(stored - blockFirstRow_);
  if (int x = SampleStoredRow(layout_, bytes, row); x >= 0) {
    refuse("pixel (" + std::to_string(x) + ", " + std::to_string(y) + ") uses colour " +
           std::to_string(bytes[x]) + ", beyond its palette of " +
           std::to_string(layout_.paletteEntries) + " colours");
  }
}

}  // namespace brackwyn
