#include "elevation/height_bitmap.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "app/file_io.hpp"
#include "app/run_error.hpp"
#include "app/units.hpp"

namespace brackwyn {
namespace {

constexpr int kRowsPerBlock = 100;  // about 1 MB

// Bytes from the first green byte of a row to the last green byte of the
// row `rows - 1` further on: the final row needs no bytes past its last sample.
std::size_t SpanOfRows(int rows) {
  return kBitmapRowBytes * static_cast<std::size_t>(rows) - 2;
}

}  // namespace

HeightBitmapFile::HeightBitmapFile(std::filesystem::path path, std::string_view role)
    : path_(std::move(path)), role_(role) {
  fd_.reset(::open(path_.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd_.valid())
    fail(std::strerror(errno));
  struct stat info {};
  if (::fstat(fd_.get(), &info) != 0)
    fail(std::strerror(errno));
  if (!S_ISREG(info.st_mode))
    fail(std::strerror(EISDIR));
  auto size = static_cast<std::uint64_t>(info.st_size);
  if (size < kBitmapMinimumBytes) {
    throw RunError("Cannot use " + NameFile(role_, path_) + ": it is " + std::to_string(size) +
                   " bytes long, too short for a 3328 x 3328 24-bit bitmap (at least " +
                   std::to_string(kBitmapMinimumBytes) +
                   " bytes). Save it as an uncompressed 24-bit bitmap of 3328 x 3328 pixels.");
  }
  block_.resize(SpanOfRows(kRowsPerBlock));
}

void HeightBitmapFile::fail(const std::string& what) const {
  throw RunError("Cannot read " + NameFile(role_, path_) + ": " + what + ".");
}

void HeightBitmapFile::readBlock(int firstRow) {
  int rows = std::min(kRowsPerBlock, kBitmapSide - firstRow);
  std::size_t wanted = SpanOfRows(rows);
  auto offset = static_cast<off_t>(kBitmapSampleOffset + kBitmapRowBytes * firstRow);
  std::size_t done = 0;
  while (done < wanted) {
    ssize_t n =
        ::pread(fd_.get(), block_.data() + done, wanted - done, offset + static_cast<off_t>(done));
    if (n < 0 && errno == EINTR)
      continue;
    if (n < 0)
      fail(std::strerror(errno));
    if (n == 0)
      fail("it became shorter while it was being read");
    done += static_cast<std::size_t>(n);
  }
  blockFirstRow_ = firstRow;
  blockRows_ = rows;
}

void HeightBitmapFile::sampleRow(int y, std::int16_t* row) {
  if (y < blockFirstRow_ || y >= blockFirstRow_ + blockRows_)
    readBlock(y);
  const std::uint8_t* green = block_.data() + kBitmapRowBytes * (y - blockFirstRow_);
  for (int x = 0; x < kBitmapSide; ++x)
    row[x] = green[3 * x];
}

}  // namespace brackwyn
