#include "pipeline/pipeline.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>

#include "gray_bitmap_writer.hpp"
#include "support/test_support.hpp"

namespace brackwyn {
namespace {

using testing::ReadBytes;

std::int32_t Int32At(const std::vector<std::uint8_t>& bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (int i = 3; i >= 0; --i)
    value = value << 8 | bytes[at + static_cast<std::size_t>(i)];
  return static_cast<std::int32_t>(value);
}

float FloatAt(const std::vector<std::uint8_t>& bytes, std::size_t at) {
  std::int32_t bits = Int32At(bytes, at);
  float value;
  std::memcpy(&value, &bits, 4);
  return value;
}

struct SubRecord {
  std::string tag;
  std::size_t data;  // offset of the data in the file
  std::size_t size;
};

struct Record {
  std::string tag;
  std::vector<SubRecord> subRecords;

  const SubRecord& sub(std::string_view tag) const {
    auto found = std::find_if(subRecords.begin(), subRecords.end(),
                              [&](const SubRecord& s) { return s.tag == tag; });
    if (found == subRecords.end())
      throw std::runtime_error("no " + std::string(tag));
    return *found;
  }
};

// An independent reader of the record framing, strict about every size.
std::vector<Record> ParsePlugin(const std::vector<std::uint8_t>& bytes) {
  std::vector<Record> records;
  std::size_t at = 0;
  while (at < bytes.size()) {
    if (at + 16 > bytes.size())
      throw std::runtime_error("truncated record header");
    Record record{std::string(bytes.begin() + at, bytes.begin() + at + 4), {}};
    std::size_t end = at + 16 + static_cast<std::uint32_t>(Int32At(bytes, at + 4));
    if (Int32At(bytes, at + 8) != 0 || Int32At(bytes, at + 12) != 0) {
      throw std::runtime_error("nonzero header field");
    }
    if (end > bytes.size())
      throw std::runtime_error("record runs past the end");
    for (at += 16; at < end;) {
      std::string tag(bytes.begin() + at, bytes.begin() + at + 4);
      std::size_t size = static_cast<std::uint32_t>(Int32At(bytes, at + 4));
      record.subRecords.push_back({tag, at + 8, size});
      at += 8 + size;
    }
    if (at != end)
      throw std::runtime_error("sub-records overrun their record");
    records.push_back(std::move(record));
  }
  return records;
}

// A world with shores, hills and a few needle peaks too steep for the land
// record format, so that clipping happens in some cells and not in others.
class PipelineTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    world_ = new testing::ScratchFolder;
    using tools::WriteGrayBitmap;
    WriteGrayBitmap(*world_ / "coast.bmp", [](int x, int y) { return (x / 7 + y / 5) % 256; });
    WriteGrayBitmap(*world_ / "interior.bmp", [](int x, int y) { return (x + 2 * y) / 40 % 256; });
    WriteGrayBitmap(*world_ / "mountain.bmp", [](int x, int y) {
      bool needle = x % 509 == 17 && y % 331 == 40;
      return needle ? 255 : (x * y) % 1000 / 200;
    });
  }
  static void TearDownTestSuite() { delete world_; }

  void SetUp() override {
    for (const char* name : {"coast.bmp", "interior.bmp", "mountain.bmp"}) {
      std::filesystem::create_symlink(*world_ / name, run_.folder / name);
    }
  }

  RunResult Run() { return RunPipeline(run_.context); }
  std::filesystem::path File(std::string_view name) const { return run_.folder / name; }

  static testing::ScratchFolder* world_;
  testing::TestRun run_;
};

testing::ScratchFolder* PipelineTest::world_ = nullptr;

TEST_F(PipelineTest, DefaultRunWritesTheWholeLandscapeAndReportsEachStage) {
  RunResult result = Run();
  ASSERT_EQ(result.outcome, RunOutcome::Finished) << result.message;

  auto plugin = ReadBytes(File("Brackwyn.esp"));
  EXPECT_EQ(plugin.size(), 80'536'297u);
  EXPECT_EQ(Int32At(plugin, 320), 5408);
  EXPECT_TRUE(std::filesystem::exists(File("Brackwyn.esm")));

  std::istringstream times(run_.window.text("txtTimes"));
  std::vector<std::string> stages;
  for (std::string line; std::getline(times, line);) {
    ASSERT_TRUE(line.ends_with("\r")) << line;
    stages.push_back(line.substr(0, line.find(" - ")));
  }
  EXPECT_EQ(stages, (std::vector<std::string>{"InitializeVariables", "CreatePalette",
                                              "LoadElevation", "ProcessElevation", "CreateVHGT",
                                              "CreateVCLR", "CreateESP"}));

  EXPECT_EQ(run_.window.caption(), "Brackwyn 1.3.1");
  EXPECT_FALSE(run_.window.beginEnabled());
  ASSERT_EQ(run_.frontEnd.messages.size(), 1u);
  EXPECT_EQ(run_.frontEnd.messages[0].title, "Brackwyn");
  EXPECT_EQ(run_.frontEnd.messages[0].text,
            "Finished! You may now copy Brackwyn.esm and Brackwyn.esp to you Morrowind\\Data "
            "Files folder.");
}

// Decodes every LAND record as the game does (base height plus the summed
// steps) and checks it against HeightGrid: the decoded height may only drift
// from the true one at a vertex whose step was too steep, by exactly the part
// cut off, and every such vertex is in the clipping report, in order.
TEST_F(PipelineTest, LandRecordsDecodeToTheHeightGridAndEveryClipIsReported) {
  ASSERT_EQ(Run().outcome, RunOutcome::Finished);
  auto plugin = ReadBytes(File("Brackwyn.esp"));
  std::vector<Record> records = ParsePlugin(plugin);
  ASSERT_EQ(records.size(), 1u + 2 * kCellCount);
  const HeightGrid& grid = run_.state.heightGrid;

  std::ostringstream expectedLog;
  int clippedCells = 0;
  for (int cell = 0; cell < kCellCount; ++cell) {
    const Record& land = records[2 + 2 * static_cast<std::size_t>(cell)];
    ASSERT_EQ(land.tag, "LAND");
    int column = cell % kCellsPerSide, row = cell / kCellsPerSide;
    const SubRecord& intv = land.sub("INTV");
    ASSERT_EQ(Int32At(plugin, intv.data), column - 26);
    ASSERT_EQ(Int32At(plugin, intv.data + 4), row - 26);
    const SubRecord& vhgt = land.sub("VHGT");
    ASSERT_EQ(vhgt.size, 4232u);
    int x0 = 64 * column, y0 = 64 * row;
    ASSERT_EQ(FloatAt(plugin, vhgt.data), grid.at(x0, y0));

    auto step = [&](int dx, int dy) {
      return static_cast<std::int8_t>(plugin[vhgt.data + 4 + 65 * dy + dx]);
    };
    bool clipped = false;
    int rowStart = grid.at(x0, y0);
    std::vector<int> drift(65 * 65, 0);
    for (int dy = 0; dy <= 64; ++dy) {
      if (dy > 0)
        rowStart += step(0, dy);
      int height = rowStart;
      for (int dx = 0; dx <= 64; ++dx) {
        if (dx > 0)
          height += step(dx, dy);
        int truth = grid.at(x0 + dx, y0 + dy);
        int previous = dx > 0 ? drift[65 * dy + dx - 1] : dy > 0 ? drift[65 * (dy - 1)] : 0;
        int trueStep = dx > 0   ? truth - grid.at(x0 + dx - 1, y0 + dy)
                       : dy > 0 ? truth - grid.at(x0, y0 + dy - 1)
                                : 0;
        int cut = trueStep - std::clamp(trueStep, -128, 127);
        drift[65 * dy + dx] = height - truth;
        ASSERT_EQ(drift[65 * dy + dx], previous - cut) << "cell " << cell << " dx " << dx;
        if (cut != 0) {
          expectedLog << "x: " << x0 + dx << " y: " << y0 + dy << "\r\n";
          clipped = true;
        }
      }
    }
    clippedCells += clipped;
  }
  EXPECT_GT(clippedCells, 0);
  EXPECT_LT(clippedCells, kCellCount);
  EXPECT_EQ(run_.window.text("txtLog"), expectedLog.str());
}

TEST_F(PipelineTest, RecordsAlternateCellAndLandAfterTheHeader) {
  ASSERT_EQ(Run().outcome, RunOutcome::Finished);
  auto plugin = ReadBytes(File("Brackwyn.esp"));
  std::vector<Record> records = ParsePlugin(plugin);
  ASSERT_EQ(records[0].tag, "TES3");
  for (std::size_t i = 1; i < records.size(); ++i) {
    ASSERT_EQ(records[i].tag, i % 2 == 1 ? "CELL" : "LAND") << i;
  }
}

struct FailureCase {
  const char* name;
  std::vector<std::pair<std::string, std::string>> settings;
  std::string mentioned;  // what the message must name
  bool truncateCoast = false;
};

class PipelineFailureTest : public PipelineTest,
                            public ::testing::WithParamInterface<FailureCase> {};

TEST_P(PipelineFailureTest, StopsWithAMessageAndKeepsThePreviousPlugin) {
  const FailureCase& failure = GetParam();
  std::ofstream(File("Brackwyn.esp"), std::ios::binary) << "previous plugin";
  if (failure.truncateCoast) {
    std::filesystem::remove(File("coast.bmp"));
    std::ofstream(File("coast.bmp"), std::ios::binary) << std::string(33'226'804, '\0');
  }
  for (const auto& [name, value] : failure.settings)
    run_.window.setText(name, value);

  RunResult result = Run();
  ASSERT_EQ(result.outcome, RunOutcome::Failed);
  EXPECT_NE(result.message.find(failure.mentioned), std::string::npos) << result.message;
  ASSERT_EQ(run_.frontEnd.messages.size(), 1u);
  EXPECT_TRUE(run_.frontEnd.messages[0].error);
  EXPECT_EQ(run_.window.caption(), "Brackwyn 1.3.1");
  EXPECT_FALSE(run_.window.beginEnabled());

  auto previous = ReadBytes(File("Brackwyn.esp"));
  EXPECT_EQ(std::string(previous.begin(), previous.end()), "previous plugin");
  for (const auto& entry : std::filesystem::directory_iterator(run_.folder.path())) {
    std::string name = entry.path().filename().string();
    EXPECT_TRUE(name.ends_with(".bmp") || name == "Brackwyn.esp" || name == "Brackwyn.esm")
        << "left behind: " << name;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Settings, PipelineFailureTest,
    ::testing::Values(
        FailureCase{"MissingBitmap", {{"txtBitmapInterior", "nowhere.bmp"}}, "nowhere.bmp"},
        FailureCase{"ShortBitmap", {}, "coast.bmp", true},
        FailureCase{"ScaleNotANumber", {{"txtScaleMountain", "8000m"}}, "txtScaleMountain"},
        FailureCase{"SeedNotANumber", {{"txtObjectSeed", "x"}}, "txtObjectSeed"},
        FailureCase{"SeedOutOfRange", {{"txtObjectSeed", "3000000000"}}, "txtObjectSeed"},
        FailureCase{"HeightsOverflow",
                    {{"txtScaleInterior", "140000"}, {"txtScaleMountain", "140000"}},
                    "txtScaleMountain"},
        FailureCase{"BandAboveThePrevious", {{"txtVCLR3Height", "0"}}, "txtVCLR3Height"},
        FailureCase{"BandDivisorZero", {{"txtVCLR3Height", "-4"}}, "txtVCLR3Height"},
        FailureCase{"BandNotANumber", {{"txtVCLR4Height", "deep"}}, "txtVCLR4Height"},
        FailureCase{"ColourOutOfRange", {{"txtVCLR3G", "256"}}, "txtVCLR3G"},
        FailureCase{
            "MasterCannotBeCreated", {{"txtESM", "no/such/folder.esm"}}, "no/such/folder.esm"},
        FailureCase{
            "PluginCannotBeWritten", {{"txtESP", "no/such/folder.esp"}}, "no/such/folder.esp"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace brackwyn
