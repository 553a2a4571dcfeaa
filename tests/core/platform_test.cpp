// The platform interface, on whichever system the tests run: these are the
// calls whose two halves (POSIX and Win32) must behave alike.
#include "core/platform.hpp"

#include <gtest/gtest.h>

#include <string>

#include "core/file_descriptor.hpp"
#include "core/replacing_file.hpp"
#include "core/run_error.hpp"
#include "core/utf8_path.hpp"
#include "core/whole_file.hpp"
#include "support/test_support.hpp"

namespace brackwyn {
namespace {

FileDescriptor Open(const std::filesystem::path& path, platform::OpenMode mode) {
  platform::NativeFile file = platform::kNoFile;
  std::error_code error = platform::OpenFile(path, mode, file);
  EXPECT_FALSE(error) << error.message();
  return FileDescriptor(file);
}

// Work files are far larger than what is written to them: the rest must read
// as zeros, and the written bytes must lie within the reported data ranges.
TEST(Platform, LargeFileReadsZerosWhereNothingWasWritten) {
  testing::ScratchFolder folder;
  constexpr std::uint64_t kSize = 708'837'377, kAt = 500'000'003;
  FileDescriptor file = Open(folder / "Objects.dat", platform::OpenMode::ReadWriteCreate);
  ASSERT_FALSE(platform::SetFileSize(file.get(), kSize));
  std::size_t done = 0;
  ASSERT_FALSE(platform::WriteAt(file.get(), "data", 4, kAt, done));
  EXPECT_EQ(done, 4u);

  std::uint64_t size = 0;
  ASSERT_FALSE(platform::FileSize(file.get(), size));
  EXPECT_EQ(size, kSize);
  char bytes[8] = {1, 1, 1, 1, 1, 1, 1, 1};
  ASSERT_FALSE(platform::ReadAt(file.get(), bytes, 8, kAt - 4, done));
  EXPECT_EQ(std::string(bytes, done), std::string("\0\0\0\0data", 8));
  ASSERT_FALSE(platform::ReadAt(file.get(), bytes, 8, kSize, done));
  EXPECT_EQ(done, 0u);  // the end of the file is no error

  std::vector<std::pair<std::uint64_t, std::uint64_t>> ranges;
  ASSERT_FALSE(platform::DataRanges(file.get(), 0, kSize, ranges));
  bool covered = false;
  for (auto [begin, end] : ranges) {
    EXPECT_LT(begin, end);
    EXPECT_LE(end, kSize);
    covered = covered || (begin <= kAt && kAt + 4 <= end);
  }
  EXPECT_TRUE(covered);
}

// A reader may still hold the old plugin (the game, an editor). POSIX
// systems replace it all the same; Windows refuses while it is open. Either
// way the file is whole, old or new, and no temporary file is left behind.
TEST(Platform, ReplacingAFileThatIsOpenForReadingLeavesAWholeFile) {
  testing::ScratchFolder folder;
  auto target = folder / "Brackwyn.esp";
  {
    ReplacingFile old(target, "plugin file");
    old.append("old", 3);
    old.commit();
  }
  FileDescriptor reader = Open(target, platform::OpenMode::Read);
  std::string expected = "new";
  try {
    ReplacingFile replacement(target, "plugin file");
    replacement.append("new", 3);
    replacement.commit();
  } catch (const RunError& error) {
#ifdef _WIN32
    expected = "old";
    EXPECT_NE(std::string(error.what()).find("Cannot replace the plugin file"), std::string::npos)
        << error.what();
#else
    FAIL() << error.what();
#endif
  }
  std::vector<std::uint8_t> bytes = ReadWholeFile(target, "plugin file");
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), expected);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
}

// Folder and file names beyond ASCII reach the system intact, and messages
// name them in UTF-8 as the user typed them.
TEST(Platform, NamesBeyondAsciiWork) {
  testing::ScratchFolder scratch;
  const std::string folderName = "Vvardenfell-\xc3\xb6\xd0\xb6", fileName = "H\xc3\xbcgel.bmp";
  auto folder = scratch.path() / PathFromUtf8(folderName);
  std::filesystem::create_directory(folder);
  {
    ReplacingFile file(folder / PathFromUtf8(fileName), "coast bitmap");
    file.append("BM", 2);
    file.commit();
  }
  EXPECT_EQ(ReadWholeFile(folder / PathFromUtf8(fileName), "coast bitmap").size(), 2u);
  try {
    ReadWholeFile(folder / PathFromUtf8("missing-\xc3\xa9.bmp"), "interior bitmap");
    FAIL();
  } catch (const RunError& error) {
    EXPECT_NE(std::string(error.what()).find(folderName), std::string::npos) << error.what();
    EXPECT_NE(std::string(error.what()).find("missing-\xc3\xa9.bmp"), std::string::npos);
  }
#ifdef _WIN32
  // Notepad's "ANSI" object index: Windows-1252 bytes name the same file.
  EXPECT_EQ(PathFromUtf8("H\xfcgel.bmp"), PathFromUtf8(fileName));
#endif
}

}  // namespace
}  // namespace brackwyn
