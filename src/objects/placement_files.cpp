#include "objects/placement_files.hpp"

#include "objects/work_file_names.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>

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
    : file_(std::move(path), std::move(role), platform::OpenMode::ReadWriteCreate,
            "open or create") {
  if (!file_.isRegularFile())
    file_.fail("use", "it is not a regular file");
}

void PlacementFile::beginReset() {
  std::uint64_t oldSize = file_.size();
  // Only allocated ranges can hold nonzero bytes; holes already read as zero.
  oldData_ = file_.dataRanges(0, std::min<std::uint64_t>(oldSize, kPlacementFileBytes));
  if (oldSize < kPlacementFileBytes)
    file_.setSize(kPlacementFileBytes, "enlarge");
  // Bands written into space allocated ahead skip the file system's delayed
  // allocation page by page, which cost the band writer as much as copying
  // the bytes.
  file_.reserve(kPlacementFileBytes);
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
  file_.writeFully(data, size, offset);
}

void PlacementFile::read(std::uint8_t* data, std::size_t size, std::uint64_t offset) const {
  std::size_t done = file_.readUpTo(data, size, offset);
  std::memset(data + done, 0, size - done);
}

PlacementFiles ResetPlacementFiles(RunContext& run) {
  auto open = [&](std::string_view name) {
    return PlacementFile(run.state.resolve(name), "placement work file");
  };
  PlacementFiles files{open(kBaseFileName), open(kTopFileName), open(kObjectsFileName)};
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
