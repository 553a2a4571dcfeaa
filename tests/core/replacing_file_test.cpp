#include "core/replacing_file.hpp"
#include "core/whole_file.hpp"

#include <gtest/gtest.h>

#include <fstream>

#include "core/run_error.hpp"
#include "support/test_support.hpp"

namespace brackwyn {
namespace {

void WriteText(const std::filesystem::path& path, std::string_view text) {
  std::ofstream(path, std::ios::binary) << text;
}

TEST(ReplacingFile, TargetKeepsItsOldBytesUntilCommit) {
  testing::ScratchFolder folder;
  auto target = folder / "out.bin";
  WriteText(target, "old");
  {
    ReplacingFile file(target, "test file");
    file.append("new bytes", 9);
    file.writeAt(0, "N", 1);
    EXPECT_EQ(file.size(), 9u);
    auto before = testing::ReadBytes(target);
    EXPECT_EQ(std::string(before.begin(), before.end()), "old");
    file.commit();
  }
  auto after = testing::ReadBytes(target);
  EXPECT_EQ(std::string(after.begin(), after.end()), "New bytes");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
}

TEST(ReplacingFile, AbandonedWriteLeavesTheOldFileAndNoTemporary) {
  for (auto sync : {ReplacingFile::Sync::OnCommit, ReplacingFile::Sync::Behind}) {
    testing::ScratchFolder folder;
    auto target = folder / "out.bin";
    WriteText(target, "old");
    {
      ReplacingFile file(target, "test file", sync);
      std::vector<std::uint8_t> big(10 << 20, 7);  // larger than the write buffer
      file.append(big);
    }
    auto after = testing::ReadBytes(target);
    EXPECT_EQ(std::string(after.begin(), after.end()), "old");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()), {}), 1);
  }
}

// Written back while later blocks are still being written: small pieces that
// go through the buffer, large ones that do not, and a patch at the start.
TEST(ReplacingFile, WriteBehindKeepsEveryByte) {
  testing::ScratchFolder folder;
  auto target = folder / "out.bin";
  std::vector<std::uint8_t> expected;
  {
    ReplacingFile file(target, "test file", ReplacingFile::Sync::Behind);
    for (std::size_t piece = 0; expected.size() < (40u << 20); ++piece) {
      std::vector<std::uint8_t> bytes(piece % 3 == 0 ? (3u << 20) + piece : 30000 + piece,
                                      static_cast<std::uint8_t>(piece));
      file.append(bytes);
      expected.insert(expected.end(), bytes.begin(), bytes.end());
    }
    file.writeAt(320, "N", 1);
    expected[320] = 'N';
    file.commit();
  }
  EXPECT_EQ(testing::ReadBytes(target), expected);
}

TEST(FileErrors, NameTheFileAndItsRole) {
  testing::ScratchFolder folder;
  try {
    ReadWholeFile(folder / "missing.bmp", "coast bitmap (txtBitmapCoast)");
    FAIL();
  } catch (const RunError& error) {
    std::string message = error.what();
    EXPECT_NE(message.find("coast bitmap (txtBitmapCoast)"), std::string::npos) << message;
    EXPECT_NE(message.find("missing.bmp"), std::string::npos) << message;
  }
  EXPECT_THROW(ReplacingFile(folder / "no-such-folder" / "x.esp", "plugin"), RunError);
  EXPECT_EQ(FileLengthCreatingIfMissing(folder / "new.esm", "master"), 0u);
  EXPECT_TRUE(std::filesystem::exists(folder / "new.esm"));
}

}  // namespace
}  // namespace brackwyn
