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

TEST(ResetPlacementFiles, NewFilesAreSparseZerosOfTheGridSizePlusOne) {
  testing::TestRun run;
  { PlacementFiles files = ResetPlacementFiles(run.context); }
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
TEST(ResetPlacementFiles, NewFilesHoldNoWrittenData) {
  testing::TestRun run;
  { PlacementFiles files = ResetPlacementFiles(run.context); }
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

TEST(ResetPlacementFiles, ZerosOldContentWithoutTruncating) {
  testing::TestRun run;
  auto base = run.folder / "Base.dat";
  auto top = run.folder / "Top.dat";
  auto objects = run.folder / "Objects.dat";
  // Base.dat: longer than the grid, nonzero bytes at its edges and beyond.
  for (std::uint64_t offset : {0ull, 12'345'678ull, 88'604'672ull, 708'837'375ull})
    WriteAt(base, offset, "\x01\x02\x03");
  WriteAt(base, 708'837'377, "tail");
  // Top.dat: short and written through.
  WriteAt(top, 0, std::string(10 << 20, '\x7F'));
  // Objects.dat: exactly the reset length, written through across a step
  // boundary and up to its last byte.
  WriteAt(objects, 80 << 20, std::string(20 << 20, '\xFF'));
  WriteAt(objects, 708'837'377 - (1 << 20), std::string(1 << 20, '\xFF'));
  { PlacementFiles files = ResetPlacementFiles(run.context); }
  EXPECT_EQ(FileSize(base), 708'837'381u);
  EXPECT_TRUE(AllZeroUpTo(base, 708'837'377));
  std::ifstream file(base, std::ios::binary);
  file.seekg(708'837'377);
  std::string tail(4, '\0');
  file.read(tail.data(), 4);
  EXPECT_EQ(tail, "tail");
  EXPECT_EQ(FileSize(top), 708'837'377u);
  EXPECT_TRUE(AllZeroUpTo(top, 708'837'377));
  EXPECT_EQ(FileSize(objects), 708'837'377u);
  EXPECT_TRUE(AllZeroUpTo(objects, 708'837'377));
}

TEST(ResetPlacementFiles, AWorkFileThatCannotBeOpenedIsNamed) {
  testing::TestRun run;
  std::filesystem::create_directory(run.folder / "Top.dat");
#ifndef _WIN32
  std::filesystem::create_symlink("/dev/zero", run.folder / "Objects.dat");
#endif
  try {
    ResetPlacementFiles(run.context);
    FAIL();
  } catch (const RunError& error) {
    EXPECT_NE(std::string(error.what()).find("Top.dat"), std::string::npos) << error.what();
  }
  std::filesystem::remove(run.folder / "Top.dat");
#ifdef _WIN32
  GTEST_SKIP() << "POSIX only from here: a work file that is a link to the device /dev/zero";
#endif
  try {
    ResetPlacementFiles(run.context);
    FAIL();
  } catch (const RunError& error) {
    std::string message = error.what();
    EXPECT_NE(message.find("Objects.dat"), std::string::npos) << message;
    EXPECT_NE(message.find("not a regular file"), std::string::npos) << message;
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
        ExitWithMessageCheck([&] { ResetPlacementFiles(run.context); }, "Base.dat");
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
        PlacementFiles files = ResetPlacementFiles(run.context);
        LimitFileSize(1 << 20);
        ExitWithMessageCheck([&] { PlaceObjects(run.context, density, files); }, "Base.dat");
      },
      ::testing::ExitedWithCode(0), "Cannot write");
#endif
}

INSTANTIATE_TEST_SUITE_P(Threads, PlacementWritesDeathTest, ::testing::Values("1", "2"));

}  // namespace
}  // namespace brackwyn
