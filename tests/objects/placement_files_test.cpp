#include "objects/placement_files.hpp"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>
#endif

#include <fstream>
#include <string>

#include "core/run_error.hpp"
#include "object_world.hpp"
#include "objects/place_objects.hpp"
#include "support/test_support.hpp"

namespace brackwyn {
namespace {

constexpr const char* kGridFiles[] = {"Base.dat", "Top.dat", "Objects.dat"};

std::uint64_t FileSize(const std::filesystem::path& path) {
  return std::filesystem::file_size(path);
}

void WriteAt(const std::filesystem::path& path, std::uint64_t offset, std::string_view bytes) {
  std::fstream file(path, std::ios::binary | std::ios::in | std::ios::out);
  if (!file)
    file.open(path, std::ios::binary | std::ios::out);
  file.seekp(static_cast<std::streamoff>(offset));
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool AllZeroUpTo(const std::filesystem::path& path, std::uint64_t end) {
  for (const auto& [offset, bytes] : testing::ReadDataRanges(path)) {
    for (std::size_t i = 0; i < bytes.size() && offset + i < end; ++i) {
      if (bytes[i] != 0)
        return false;
    }
  }
  return true;
}

TEST(PlacementFiles, SubCellOffsets) {
  EXPECT_EQ(SubCellOffset(0, 0), 0u);
  EXPECT_EQ(SubCellOffset(26623, 26623), 708'837'375u);
  EXPECT_EQ(SubCellOffset(51 * 512, 51 * 512), 695'232'000u);
}

TEST(CreatePlacementFiles, NewFilesAreSparseZerosOfTheGridSizePlusOne) {
  testing::TestRun run;
  { PlacementFiles files = CreatePlacementFiles(run.context); }
  for (const char* name : kGridFiles) {
    auto path = run.folder / name;
    EXPECT_EQ(FileSize(path), 708'837'377u) << name;
    EXPECT_TRUE(testing::ReadDataRanges(path).empty()) << name << " is not all zeros";
  }
  std::vector<std::string> expected;
  for (int percent : {0, 12, 25, 37, 50, 62, 75, 87})
    expected.push_back("Brackwyn 1.3.1 - Creating object temp files - " + std::to_string(percent) +
                       "% Complete");
  EXPECT_EQ(run.frontEnd.captions, expected);
  EXPECT_EQ(run.frontEnd.eventCalls, 8);
}

// Space may be reserved for them, but no byte is written: reading them back
// costs nothing until placement writes.
TEST(CreatePlacementFiles, NewFilesHoldNoWrittenData) {
  testing::TestRun run;
  { PlacementFiles files = CreatePlacementFiles(run.context); }
  for (const char* name : kGridFiles) {
    PositionedFile file(run.folder / name, "grid file", platform::OpenMode::Read, "read");
    std::vector<PositionedFile::Range> ranges = file.dataRanges(0, file.size());
#ifdef _WIN32
    if (ranges == std::vector<PositionedFile::Range>{{0, file.size()}})
      GTEST_SKIP() << "this file system does not report holes (FAT, Wine): cannot tell";
#endif
    EXPECT_TRUE(ranges.empty()) << name << " holds written data";
  }
}

// Leftovers of an earlier run and links placed at the work files' names are
// replaced by new files; what the links point to stays as it was.
TEST(CreatePlacementFiles, ReplacesLeftoversAndLinksWithNewFiles) {
  testing::TestRun run;
  WriteAt(run.folder / "Base.dat", 708'837'377, "longer than a grid");
  WriteAt(run.folder / "Top.dat", 0, "\x7F");
  testing::ScratchFolder outside;
  WriteAt(outside / "kept.bin", 0, "kept");
#ifndef _WIN32
  std::filesystem::remove(run.folder / "Top.dat");
  std::filesystem::create_symlink(outside / "kept.bin", run.folder / "Top.dat");
  std::filesystem::create_symlink("/dev/zero", run.folder / "Objects.dat");
#endif
  { PlacementFiles files = CreatePlacementFiles(run.context); }
  for (const char* name : kGridFiles) {
    auto path = run.folder / name;
    EXPECT_TRUE(std::filesystem::is_regular_file(std::filesystem::symlink_status(path))) << name;
    EXPECT_EQ(FileSize(path), 708'837'377u) << name;
    EXPECT_TRUE(AllZeroUpTo(path, 708'837'377)) << name;
  }
  EXPECT_EQ(FileSize(outside / "kept.bin"), 4u);
}

TEST(CreatePlacementFiles, AWorkFileThatCannotBeMadeIsNamed) {
  testing::TestRun run;
  std::filesystem::create_directory(run.folder / "Top.dat");
  std::filesystem::create_directory(run.folder / "Top.dat" / "inside");
  try {
    CreatePlacementFiles(run.context);
    FAIL();
  } catch (const RunError& error) {
    EXPECT_NE(std::string(error.what()).find("Top.dat"), std::string::npos) << error.what();
  }
}

#ifndef _WIN32
// A file size limit stands in for a full disk: writes fail the same way.
void LimitFileSize(rlim_t bytes) {
  ::signal(SIGXFSZ, SIG_IGN);
  struct rlimit limit {
    bytes, bytes
  };
  ::setrlimit(RLIMIT_FSIZE, &limit);
}

void ExitWithMessageCheck(const std::function<void()>& work, std::string_view expected) {
  try {
    work();
  } catch (const RunError& error) {
    std::string message = error.what();
    std::fprintf(stderr, "%s\n", message.c_str());
    ::_exit(message.find(expected) != std::string::npos ? 0 : 2);
  }
  ::_exit(1);
}

#endif

using PlacementFilesDeathTest = ::testing::Test;

[[maybe_unused]] constexpr const char* kNoFileSizeLimit =
    "POSIX only: a file size limit (setrlimit) stands in for a full disk; Windows has none";

TEST_F(PlacementFilesDeathTest, FilesThatCannotGrowStopTheRun) {
#ifdef _WIN32
  GTEST_SKIP() << kNoFileSizeLimit;
#else
  testing::TestRun run;
  EXPECT_EXIT(
      {
        LimitFileSize(100 << 20);
        ExitWithMessageCheck([&] { CreatePlacementFiles(run.context); }, "Base.dat");
      },
      ::testing::ExitedWithCode(0), "Cannot enlarge");
#endif
}

// With two threads the bands are written on the writer thread, whose failure
// must still reach the placing thread.
class PlacementWritesDeathTest : public ::testing::TestWithParam<const char*> {};

TEST_P(PlacementWritesDeathTest, WritesThatFailStopTheRun) {
#ifdef _WIN32
  GTEST_SKIP() << kNoFileSizeLimit;
#else
  testing::TestRun run;
  run.state.objectPalette = testing::PaletteOf({{"rock", 0, 3, 0}});
  ObjectDensity density;
  testing::Box box{10, 100, 20, 110};
  testing::FillDensity(density, 1, box.x1, box.y1, box.x2, box.y2,
                       [](int, int, int) { return 255; });
  testing::SetObjectSettings(run.window, "1", box);
  EXPECT_EXIT(
      {
        testing::ThreadsSetting threads(GetParam());
        PlacementFiles files = CreatePlacementFiles(run.context);
        LimitFileSize(1 << 20);
        ExitWithMessageCheck([&] { PlaceObjects(run.context, density, files); }, "Base.dat");
      },
      ::testing::ExitedWithCode(0), "Cannot write");
#endif
}

INSTANTIATE_TEST_SUITE_P(Threads, PlacementWritesDeathTest, ::testing::Values("1", "2"));

}  // namespace
}  // namespace brackwyn
