#include "objects/placement_files.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>

#include "app/file_io.hpp"
#include "app/run_error.hpp"

namespace brackwyn {
namespace {

constexpr int kResetSteps = 8;
constexpr std::uint64_t kResetStepBytes = 88'604'672;  // each step's block is one byte longer
constexpr std::size_t kZeroChunkBytes = 1 << 20;

static_assert(kResetStepBytes * kResetSteps == kPlacementGridBytes);

const std::uint8_t* ZeroChunk() {
  static const std::vector<std::uint8_t> zeros(kZeroChunkBytes, 0);
  return zeros.data();
}

std::string ResetCaption(int step) {
  double percent = static_cast<double>(step * kResetStepBytes + 1) / kPlacementGridBytes * 100;
  return " - Creating object temp files - " +
         std::to_string(static_cast<long long>(std::trunc(percent))) + "% Complete";
}

}  // namespace

PlacementFile::PlacementFile(std::filesystem::path path, std::string role)
    : path_(std::move(path)), role_(std::move(role)) {
  fd_.reset(::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644));
  if (!fd_.valid())
    fail("open or create", errno);
  struct stat info {};
  if (::fstat(fd_.get(), &info) != 0)
    fail("open", errno);
  if (!S_ISREG(info.st_mode))
    fail("use", EINVAL);
}

void PlacementFile::fail(std::string_view what, int error) const {
  std::string reason = error == EINVAL && what == "use" ? "it is not a regular file"
                                                        : std::string(std::strerror(error));
  throw RunError("Cannot " + std::string(what) + " " + NameFile(role_, path_) + ": " + reason +
                 ".");
}

void PlacementFile::beginReset() {
  struct stat info {};
  if (::fstat(fd_.get(), &info) != 0)
    fail("open", errno);
  auto oldSize = static_cast<std::uint64_t>(info.st_size);
  std::uint64_t oldEnd = std::min<std::uint64_t>(oldSize, kPlacementFileBytes);
  oldData_.clear();
  // Only allocated ranges can hold nonzero bytes; holes already read as zero.
  std::uint64_t at = 0;
  while (at < oldEnd) {
    off_t data = ::lseek(fd_.get(), static_cast<off_t>(at), SEEK_DATA);
    if (data < 0 && errno == ENXIO)
      break;
    if (data < 0) {  // no hole detection here: treat everything as data
      oldData_.assign(1, {at, oldEnd});
      break;
    }
    off_t hole = ::lseek(fd_.get(), data, SEEK_HOLE);
    std::uint64_t end = hole < 0 ? oldEnd : static_cast<std::uint64_t>(hole);
    auto begin = static_cast<std::uint64_t>(data);
    if (begin >= oldEnd)
      break;
    end = std::min(end, oldEnd);
    oldData_.emplace_back(begin, end);
    at = end;
  }
  if (oldSize < kPlacementFileBytes) {
    int result;
    do {
      result = ::ftruncate(fd_.get(), static_cast<off_t>(kPlacementFileBytes));
    } while (result != 0 && errno == EINTR);
    if (result != 0)
      fail("enlarge", errno);
  }
}

void PlacementFile::zeroRange(std::uint64_t begin, std::uint64_t end) {
  for (const auto& [dataBegin, dataEnd] : oldData_) {
    std::uint64_t from = std::max(begin, dataBegin);
    std::uint64_t to = std::min(end, dataEnd);
    while (from < to) {
      std::size_t size =
          static_cast<std::size_t>(std::min<std::uint64_t>(to - from, kZeroChunkBytes));
      write(ZeroChunk(), size, from);
      from += size;
    }
  }
}

void PlacementFile::write(const std::uint8_t* data, std::size_t size, std::uint64_t offset) {
  while (size > 0) {
    ssize_t n = ::pwrite(fd_.get(), data, size, static_cast<off_t>(offset));
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      fail("write", n == 0 ? ENOSPC : errno);
    data += n;
    size -= static_cast<std::size_t>(n);
    offset += static_cast<std::uint64_t>(n);
  }
}

void PlacementFile::read(std::uint8_t* data, std::size_t size, std::uint64_t offset) const {
  while (size > 0) {
    ssize_t n = ::pread(fd_.get(), data, size, static_cast<off_t>(offset));
    if (n < 0 && errno == EINTR)
      continue;
    if (n < 0)
      fail("read", errno);
    if (n == 0) {
      std::memset(data, 0, size);
      return;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
    offset += static_cast<std::uint64_t>(n);
  }
}

PlacementFiles ResetPlacementFiles(RunContext& run) {
  auto open = [&](std::string_view name) {
    return PlacementFile(run.state.resolve(name), "placement work file");
  };
  PlacementFiles files{open("Base.dat"), open("Top.dat"), open("Objects.dat")};
  PlacementFile* all[] = {&files.base, &files.top, &files.objects};
  for (PlacementFile* file : all)
    file->beginReset();
  for (int step = 0; step < kResetSteps; ++step) {
    std::uint64_t begin = step * kResetStepBytes;
    for (PlacementFile* file : all)
      file->zeroRange(begin, begin + kResetStepBytes + 1);
    run.progress.ShowProgress(ResetCaption(step));
    run.progress.YieldToUI();
  }
  return files;
}

}  // namespace brackwyn
