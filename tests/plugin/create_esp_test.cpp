#include "plugin/create_esp.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/run_error.hpp"
#include "core/whole_file.hpp"
#include "land/cell_normals.hpp"
#include "plugin/land_record.hpp"
#include "plugin_bytes.hpp"
#include "support/esmtool.hpp"
#include "support/test_support.hpp"
#include "synthetic_land.hpp"

namespace brackwyn {
namespace {

using testing::CountLines;
using testing::DumpWithEsmtool;
using testing::EsmtoolDump;
using testing::FindEsmtool;
using testing::ReadInt32;
using testing::ReadTag;
using testing::ReadUint32;

constexpr std::size_t kDefaultPluginBytes = 80'536'297;
constexpr char kOldPlugin[] = "the plugin of an earlier run";

void WriteText(const std::filesystem::path& path, std::string_view text) {
  std::ofstream(path, std::ios::binary) << text;
}

// A run with objects off: land data filled in, file names as in the window.
void PrepareRun(testing::TestRun& run) {
  run.state.parameters.masterFileName = run.window.text("txtESM");
  run.state.parameters.pluginFileName = run.window.text("txtESP");
  testing::FillSyntheticLand(run.state);
}

// Whole-file read in one block: 80 MB byte by byte is slow in sanitizer builds.
std::vector<std::uint8_t> ReadPlugin(const std::filesystem::path& path) {
  return ReadWholeFile(path, "plugin file");
}

bool HasPartialFile(const std::filesystem::path& folder) {
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().string().ends_with(".brackwyn-partial"))
      return true;
  }
  return false;
}

std::vector<std::uint8_t> ExpectedLand(const RunState& state, int index) {
  RecordWriter out;
  WriteLandRecord(out, CellPosition{index}, state.cellHeights, state.cellColors);
  return out.toVector();
}

// One default run over an older plugin, shared by the tests that only read it.
class DefaultPlugin : public ::testing::Test {
 protected:
  struct Written {
    testing::TestRun run;
    std::vector<std::uint8_t> bytes;
    std::vector<testing::RecordView> records;
  };

  static void SetUpTestSuite() {
    written_ = new Written;
    testing::TestRun& run = written_->run;
    PrepareRun(run);
    WriteText(run.folder / "Brackwyn.esp", kOldPlugin);
    CreateESP(run.context);
    written_->bytes = ReadPlugin(run.folder / "Brackwyn.esp");
    written_->records = testing::ParseRecords(written_->bytes);
  }
  static void TearDownTestSuite() {
    delete written_;
    written_ = nullptr;
  }

  static Written* written_;
};

DefaultPlugin::Written* DefaultPlugin::written_ = nullptr;

TEST_F(DefaultPlugin, HeaderCarriesMasterAndRecordCount) {
  const auto& bytes = written_->bytes;
  ASSERT_GE(bytes.size(), 361u);
  EXPECT_EQ(ReadTag(bytes, 0), "TES3");
  EXPECT_EQ(ReadUint32(bytes, 4), 345u);
  EXPECT_EQ(ReadTag(bytes, 16), "HEDR");
  EXPECT_EQ(ReadUint32(bytes, 20), 300u);
  EXPECT_EQ(testing::ReadFloat(bytes, 24), 1.2f);
  EXPECT_EQ(ReadInt32(bytes, 28), 0);
  for (std::size_t i = 32; i < 320; ++i)
    ASSERT_EQ(bytes[i], 0) << "author or description byte at " << i;
  EXPECT_EQ(ReadInt32(bytes, 320), 5408);
  EXPECT_EQ(ReadTag(bytes, 324), "MAST");
  EXPECT_EQ(std::string(bytes.begin() + 332, bytes.begin() + 345),
            std::string("Brackwyn.esm\0", 13));
  EXPECT_EQ(ReadTag(bytes, 345), "DATA");
  EXPECT_EQ(ReadUint32(bytes, 349), 8u);
  for (std::size_t i = 353; i < 361; ++i)
    EXPECT_EQ(bytes[i], 0) << "the master was missing, so its length is 0";
  EXPECT_EQ(std::filesystem::file_size(written_->run.folder / "Brackwyn.esm"), 0u);
}

TEST_F(DefaultPlugin, ReplacesTheOlderPluginWholeAndLeavesNoTemporary) {
  EXPECT_EQ(written_->bytes.size(), kDefaultPluginBytes);
  EXPECT_FALSE(HasPartialFile(written_->run.folder.path()));
}

TEST_F(DefaultPlugin, HoldsACellThenItsLandForEveryCellInIndexOrder) {
  const auto& bytes = written_->bytes;
  const auto& records = written_->records;
  ASSERT_EQ(records.size(), 1u + 5408u);
  EXPECT_EQ(records[0].size, 361u);
  for (int index = 0; index < kCellCount; ++index) {
    const auto& cell = records[1 + 2 * static_cast<std::size_t>(index)];
    const auto& land = records[2 + 2 * static_cast<std::size_t>(index)];
    ASSERT_EQ(cell.tag, "CELL") << index;
    ASSERT_EQ(cell.size, 45u) << index;
    ASSERT_EQ(land.tag, "LAND") << index;
    ASSERT_EQ(land.size, 29739u) << index;
    std::size_t cellData = cell.subRecords.at(1).dataOffset;
    std::size_t landIntv = land.subRecords.at(0).dataOffset;
    ASSERT_EQ(ReadInt32(bytes, cellData + 4), index % 52 - 26) << index;
    ASSERT_EQ(ReadInt32(bytes, cellData + 8), index / 52 - 26) << index;
    ASSERT_EQ(ReadInt32(bytes, landIntv), index % 52 - 26) << index;
    ASSERT_EQ(ReadInt32(bytes, landIntv + 4), index / 52 - 26) << index;
  }
  for (int index : {0, 51, 52, 2703}) {
    const auto& land = records[2 + 2 * static_cast<std::size_t>(index)];
    auto begin = bytes.begin() + static_cast<std::ptrdiff_t>(land.offset);
    EXPECT_EQ(std::vector<std::uint8_t>(begin, begin + 29739),
              ExpectedLand(written_->run.state, index))
        << "LAND of cell " << index;
  }
}

TEST_F(DefaultPlugin, ShowsProgressAndYieldsOncePerCell) {
  const testing::TestRun& run = written_->run;
  ASSERT_EQ(run.frontEnd.captions.size(), std::size_t{kCellCount});
  EXPECT_EQ(run.frontEnd.eventCalls, kCellCount);
  const std::string prefix = "Brackwyn 1.3.1 - Writing Brackwyn.ESP - ";
  for (auto [index, percent] :
       {std::pair{0, 0}, {27, 0}, {28, 1}, {1136, 42}, {2702, 99}, {2703, 100}}) {
    EXPECT_EQ(run.frontEnd.captions[static_cast<std::size_t>(index)],
              prefix + std::to_string(percent) + "% Complete")
        << "cell " << index;
  }
  const std::string& times = run.window.text("txtTimes");
  EXPECT_TRUE(times.starts_with("CreateESP - ")) << times;
  EXPECT_TRUE(times.ends_with("\r\n")) << times;
}

std::string Tail(const std::string& text) {
  return text.substr(text.size() > 2000 ? text.size() - 2000 : 0);
}

// OpenMW's reader checks every record and sub-record size and fails on any
// byte it cannot account for.
TEST_F(DefaultPlugin, OpenMWEsmtoolReadsEveryCell) {
  std::string esmtool = FindEsmtool();
  if (esmtool.empty())
    GTEST_SKIP() << "esmtool (OpenMW) is not installed";
  EsmtoolDump dump = DumpWithEsmtool(esmtool, written_->run.folder / "Brackwyn.esp");
  const std::string& text = dump.text;
  ASSERT_TRUE(dump.ok) << Tail(text);
  EXPECT_NE(text.find("Masters:\n  Brackwyn.esm, 0 bytes"), std::string::npos);
  EXPECT_EQ(CountLines(text, "Record: CELL"), std::size_t{kCellCount});
  EXPECT_EQ(CountLines(text, "Record: LAND"), std::size_t{kCellCount});
  EXPECT_NE(text.find("Coordinates:  (-26,-26)"), std::string::npos);
  EXPECT_NE(text.find("Coordinates: (25,25)"), std::string::npos);
}

// Normals on: every LAND record keeps its size and carries its own cell's
// normals and map heights, and OpenMW's reader still loads the plugin.
TEST(CreateESP, NormalsFillVnmlAndWnamOfEveryLandRecord) {
  testing::TestRun run;
  PrepareRun(run);
  run.window.setState("chkCreateNormals", 1);
  CreateESP(run.context);
  auto bytes = ReadPlugin(run.folder / "Brackwyn.esp");
  ASSERT_EQ(bytes.size(), kDefaultPluginBytes);
  auto records = testing::ParseRecords(bytes);
  ASSERT_EQ(records.size(), 1u + 5408u);
  CellNormalsCalculator calculator(run.state.cellHeights);
  for (int index = 0; index < kCellCount; ++index) {
    const CellNormals& expected = calculator.compute(index);
    const auto& land = records[2 + 2 * static_cast<std::size_t>(index)];
    const auto& vnml = land.subRecords.at(2);
    const auto& wnam = land.subRecords.at(4);
    ASSERT_EQ(vnml.tag, "VNML");
    ASSERT_EQ(wnam.tag, "WNAM");
    ASSERT_TRUE(std::equal(expected.normals.begin(), expected.normals.end(),
                           bytes.begin() + static_cast<std::ptrdiff_t>(vnml.dataOffset)))
        << "VNML of cell " << index;
    ASSERT_TRUE(std::equal(expected.mapHeights.begin(), expected.mapHeights.end(),
                           bytes.begin() + static_cast<std::ptrdiff_t>(wnam.dataOffset)))
        << "WNAM of cell " << index;
  }
  std::string esmtool = FindEsmtool();
  if (esmtool.empty())
    GTEST_SKIP() << "esmtool (OpenMW) is not installed";
  EsmtoolDump dump = DumpWithEsmtool(esmtool, run.folder / "Brackwyn.esp");
  ASSERT_TRUE(dump.ok) << Tail(dump.text);
  EXPECT_EQ(CountLines(dump.text, "Record: LAND"), std::size_t{kCellCount});
}

std::string SubRecordText(const std::vector<std::uint8_t>& bytes,
                          const testing::SubRecordView& sub) {
  auto begin = bytes.begin() + static_cast<std::ptrdiff_t>(sub.dataOffset);
  return std::string(begin, begin + static_cast<std::ptrdiff_t>(sub.dataSize));
}

// Two textures, of which the second is used first: LTEX records follow the
// header in the order given, the count includes them, every LAND has VTEX.
TEST(CreateESP, TexturedLandGetsLtexRecordsAndVtexInEveryLand) {
  testing::TestRun run;
  PrepareRun(run);
  run.state.landTextures.used = {{"ex_sand", "tx_sand.dds"}, {"ex_rock", "tx_rock.dds"}};
  run.state.landTextures.squares.assign(std::size_t{kCellCount} * 256, 0);
  for (std::size_t i = 0; i < run.state.landTextures.squares.size(); i += 3)
    run.state.landTextures.squares[i] = static_cast<std::uint16_t>(1 + i % 2);
  CreateESP(run.context);
  auto bytes = ReadPlugin(run.folder / "Brackwyn.esp");
  auto records = testing::ParseRecords(bytes);
  ASSERT_EQ(records.size(), 1u + 2u + 5408u);
  EXPECT_EQ(ReadInt32(bytes, 320), 5410);
  for (std::size_t i = 0; i < 2; ++i) {
    const auto& ltex = records[1 + i];
    ASSERT_EQ(ltex.tag, "LTEX");
    ASSERT_EQ(ltex.subRecords.size(), 3u);
    EXPECT_EQ(ltex.subRecords[0].tag, "NAME");
    EXPECT_EQ(SubRecordText(bytes, ltex.subRecords[0]), run.state.landTextures.used[i].id + '\0');
    EXPECT_EQ(ltex.subRecords[1].tag, "INTV");
    ASSERT_EQ(ltex.subRecords[1].dataSize, 4u);
    EXPECT_EQ(ReadInt32(bytes, ltex.subRecords[1].dataOffset), static_cast<int>(i));
    EXPECT_EQ(ltex.subRecords[2].tag, "DATA");
    EXPECT_EQ(SubRecordText(bytes, ltex.subRecords[2]), run.state.landTextures.used[i].file + '\0');
  }
  for (int index = 0; index < kCellCount; ++index) {
    const auto& land = records[4 + 2 * static_cast<std::size_t>(index)];
    ASSERT_EQ(land.tag, "LAND") << index;
    ASSERT_EQ(land.size, 30259u) << index;
    ASSERT_EQ(land.subRecords.back().tag, "VTEX") << index;
  }
  std::string esmtool = FindEsmtool();
  if (esmtool.empty())
    GTEST_SKIP() << "esmtool (OpenMW) is not installed";
  EsmtoolDump dump = DumpWithEsmtool(esmtool, run.folder / "Brackwyn.esp");
  ASSERT_TRUE(dump.ok) << Tail(dump.text);
  EXPECT_EQ(CountLines(dump.text, "Record: LTEX"), 2u);
  EXPECT_NE(dump.text.find("tx_rock.dds"), std::string::npos);
  EXPECT_EQ(CountLines(dump.text, "Record: LAND"), std::size_t{kCellCount});
}

// MAST names the master by its file name as the window shows it when the
// header is built, whatever folder comes before it; the length comes from the
// file named when the run started, in all 64 bits.
TEST(CreateESP, MasterNameIsLiveAndItsLengthIsTheFilesTrue64BitLength) {
  testing::TestRun run;
  PrepareRun(run);
  run.state.parameters.masterFileName = "Big.esm";
  std::filesystem::resize_file((WriteText(run.folder / "Big.esm", ""), run.folder / "Big.esm"),
                               (std::uint64_t{5} << 30) + 3);  // sparse: costs no disk
  for (const char* shown : {"Shown.esm", "Data Files/Shown.esm", "C:\\Data Files\\Shown.esm"}) {
    run.window.setText("txtESM", shown);
    CreateESP(run.context);
    auto bytes = ReadPlugin(run.folder / "Brackwyn.esp");
    EXPECT_EQ(bytes.size(), kDefaultPluginBytes - 3);
    EXPECT_EQ(std::string(bytes.begin() + 332, bytes.begin() + 342),
              std::string("Shown.esm\0", 10));
    EXPECT_EQ(ReadTag(bytes, 342), "DATA");
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 350, bytes.begin() + 358),
              (std::vector<std::uint8_t>{3, 0, 0, 0x40, 1, 0, 0, 0}));
    EXPECT_EQ(ReadInt32(bytes, 320), 5408);
  }
  EXPECT_FALSE(std::filesystem::exists(run.folder / "Shown.esm"));
  run.window.setText("txtESM", "Data Files/");
  EXPECT_THROW(CreateESP(run.context), RunError);
}

class ClosingFrontEnd : public FrontEnd {
 public:
  ClosingFrontEnd(WindowModel& window, int closeAtCall) : window_(window), closeAt_(closeAtCall) {}
  bool processEvents() override {
    if (++calls_ == closeAt_)
      window_.requestClose();
    return true;
  }
  void showMessage(std::string_view, std::string_view) override {}

 private:
  WindowModel& window_;
  int closeAt_;
  int calls_ = 0;
};

TEST(CreateESP, AbandonedRunLeavesThePreviousPluginUntouched) {
  testing::TestRun run;
  PrepareRun(run);
  WriteText(run.folder / "Brackwyn.esp", kOldPlugin);
  ClosingFrontEnd closing(run.window, 1500);
  run.window.setFrontEnd(&closing);
  EXPECT_THROW(CreateESP(run.context), RunAbandoned);
  auto bytes = ReadPlugin(run.folder / "Brackwyn.esp");
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), kOldPlugin);
  EXPECT_FALSE(HasPartialFile(run.folder.path()));
}

struct FailureCase {
  const char* name;
  const char* masterFileName;
  const char* pluginFileName;
  const char* setting;  // named in the message together with the file
  const char* file;
};

class CreateESPFailure : public ::testing::TestWithParam<FailureCase> {};

TEST_P(CreateESPFailure, StopsTheRunNamingFileAndSettingAndKeepsThePreviousPlugin) {
  const FailureCase& c = GetParam();
  testing::TestRun run;
  PrepareRun(run);
  std::filesystem::create_directory(run.folder / "Folder");
  WriteText(run.folder / "Brackwyn.esp", kOldPlugin);
  run.state.parameters.masterFileName = c.masterFileName;
  run.state.parameters.pluginFileName = c.pluginFileName;
  try {
    CreateESP(run.context);
    FAIL() << "the run went on";
  } catch (const RunError& error) {
    std::string message = error.what();
    EXPECT_NE(message.find(c.setting), std::string::npos) << message;
    EXPECT_NE(message.find(c.file), std::string::npos) << message;
  }
  auto bytes = ReadPlugin(run.folder / "Brackwyn.esp");
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), kOldPlugin);
  EXPECT_FALSE(HasPartialFile(run.folder.path()));
}

INSTANTIATE_TEST_SUITE_P(
    Files, CreateESPFailure,
    ::testing::Values(FailureCase{"MasterInMissingFolder", "missing/M.esm", "Brackwyn.esp",
                                  "txtESM", "missing/M.esm"},
                      FailureCase{"MasterIsAFolder", "Folder", "Brackwyn.esp", "txtESM", "Folder"},
                      FailureCase{"PluginInMissingFolder", "M.esm", "missing/P.esp", "txtESP",
                                  "missing/P.esp"},
                      // Found only when the finished file is renamed over the target.
                      FailureCase{"PluginIsAFolder", "M.esm", "Folder", "txtESP", "Folder"}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return info.param.name; });

}  // namespace
}  // namespace brackwyn
