#include "objects/placement_files.hpp"

#include "objects/work_file_names.hpp"

#include <cmath>
#include <cstring>

namespace brackwyn {
namespace {

// The captions of the eight steps in which the files were once zeroed: the
// window still shows them, one after the other, while the files are made.
constexpr int kCreationSteps = 8;
constexpr std::uint64_t kCreationStepBytes = 88'604'672;

static_assert(kCreationStepBytes * kCreationSteps == kPlacementGridBytes);

std::string CreationCaption(int step) {
  double percent = static_cast<double>(step * kCreationStepBytes + 1) / kPlacementGridBytes * 100;
  return " - Creating object temp files - " +
         std::to_string(static_cast<long long>(std::trunc(percent))) + "% Complete";
}

}  // namespace

PlacementFile::PlacementFile(std::filesystem::path path, std::string role)
    : file_(PositionedFile::CreateNew(path, path, std::move(role))) {
  file_.setSize(kPlacementFileBytes, "enlarge");
  // Bands written into space allocated ahead skip the file system's delayed
  // allocation page by page, which cost the band writer as much as copying
  // the bytes.
  file_.reserve(kPlacementFileBytes);
}

void PlacementFile::write(const std::uint8_t* data, std::size_t size, std::uint64_t offset) {
  file_.writeFully(data, size, offset);
}

void PlacementFile::read(std::uint8_t* data, std::size_t size, std::uint64_t offset) const {
  std::size_t done = file_.readUpTo(data, size, offset);
  std::memset(data + done, 0, size - done);
}

PlacementFiles CreatePlacementFiles(RunContext& run) {
  auto open = [&](std::string_view name) {
    return PlacementFile(run.state.resolve(name), "placement work file");
  };
  PlacementFiles files{open(kBaseFileName), open(kTopFileName), open(kObjectsFileName)};
  for (int step = 0; step < kCreationSteps; ++step) {
    run.progress.ShowProgress(CreationCaption(step));
    run.progress.YieldToUI();
  }
  return files;
}

}  // namespace brackwyn
