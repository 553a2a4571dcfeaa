#include "core/gray_bitmap.hpp"

#include <algorithm>

#include "core/run_error.hpp"

namespace brackwyn {
namespace {

constexpr int kRowsPerBlock = 100;  // about 1 MB

// Bytes from the first green byte of a row to the last green byte of the
// row `rows - 1` further on: the final row needs no bytes past its last sample.
std::size_t SpanOfRows(int rows) {
  return kBitmapRowBytes * static_cast<std::size_t>(rows) - 2;
}

}  // namespace

GrayBitmapReader::GrayBitmapReader(std::filesystem::path path, std::string role)
    : file_(std::move(path), std::move(role), platform::OpenMode::Read, "read") {
  if (!file_.isRegularFile())
    file_.fail("read", std::make_error_code(std::errc::is_a_directory));
  std::uint64_t size = file_.size();
  if (size < kBitmapMinimumBytes) {
    throw RunError("Cannot use " + NameFile(file_.role(), file_.path()) + ": it is " +
                   std::to_string(size) +
                   " bytes long, too short for a 3328 x 3328 24-bit bitmap (at least " +
                   std::to_string(kBitmapMinimumBytes) +
                   " bytes). Save it as an uncompressed 24-bit bitmap of 3328 x 3328 pixels.");
  }
  block_.resize(SpanOfRows(kRowsPerBlock));
}

void GrayBitmapReader::readBlock(int firstRow) {
  int rows = std::min(kRowsPerBlock, kBitmapSide - firstRow);
  std::size_t wanted = SpanOfRows(rows);
  std::uint64_t offset = kBitmapSampleOffset + kBitmapRowBytes * static_cast<std::size_t>(firstRow);
  if (file_.readUpTo(block_.data(), wanted, offset) < wanted)
    file_.fail("read", "it became shorter while it was being read");
  blockFirstRow_ = firstRow;
  blockRows_ = rows;
}

void GrayBitmapReader::sampleRow(int y, std::uint8_t* row) {
  if (y < blockFirstRow_ || y >= blockFirstRow_ + blockRows_)
    readBlock(y);
  const std::uint8_t* green = block_.data() + kBitmapRowBytes * (y - blockFirstRow_);
  for (int x = 0; x < kBitmapSide; ++x)
    row[x] = green[3 * x];
}

}  // namespace brackwyn
