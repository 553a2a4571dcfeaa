// Whole runs with object creation on, checked for what must hold whatever
// the random sequence: where references stand, how they are numbered and
// counted, their heights, scales and turns, and that no squares overlap.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "gray_bitmap_writer.hpp"
#include "object_world.hpp"
#include "pipeline/pipeline.hpp"
#include "plugin/plugin_bytes.hpp"
#include "support/test_support.hpp"

namespace brackwyn {
namespace {

using testing::ReadFloat;
using testing::ReadInt32;
using testing::RecordView;

constexpr testing::Box kBox{1000, 2000, 1180, 2130};  // crosses cell edges both ways
constexpr double kDivisor = 64;

const std::vector<testing::KindLine> kKinds = {
    {"tree_pine", 20, 3, 9}, {"rock", 0, 4, 4}, {"grass", 99, 0, 0}, {"boulder", 75, 9, 2}};

int Density(int kind, int x, int y) {
  switch (kind) {
    case 1:
      return (x / 16 + y / 16) % 3 != 0 ? 200 : 0;
    case 2:
      return (x * 7 + y * 3) % 256;  // often below the divisor: never a candidate there
    case 3:
      return y < 2060 ? 255 : 63;
    default:
      return x % 40 < 4 && y % 40 < 4 ? 255 : 0;
  }
}

struct Reference {
  int kind;
  int sx, sy;  // anchor sub-cell
  float z, scale, rotation;
  int cellColumn, cellRow;
};

struct Plugin {
  std::vector<std::uint8_t> bytes;
  std::vector<RecordView> records;
  std::vector<Reference> references;
};

int KindOf(const std::string& id) {
  for (std::size_t i = 0; i < kKinds.size(); ++i)
    if (kKinds[i].id == id)
      return static_cast<int>(i) + 1;
  return 0;
}

// Reads every reference back, checking the framing of each cell on the way.
Plugin ReadPlugin(const std::filesystem::path& path) {
  Plugin plugin{testing::ReadBytes(path), {}, {}};
  plugin.records = testing::ParseRecords(plugin.bytes);
  for (const RecordView& cell : plugin.records) {
    if (cell.tag != "CELL")
      continue;
    const auto& subs = cell.subRecords;
    EXPECT_EQ(subs.at(1).tag, "DATA");
    int column = ReadInt32(plugin.bytes, subs[1].dataOffset + 4) + 26;
    int row = ReadInt32(plugin.bytes, subs[1].dataOffset + 8) + 26;
    EXPECT_EQ(subs.at(2).tag, "NAM0");
    std::int32_t count = ReadInt32(plugin.bytes, subs[2].dataOffset);
    EXPECT_EQ(subs.size(), 3u + 4u * static_cast<std::size_t>(count)) << column << " " << row;
    for (std::size_t i = 3; i + 3 < subs.size(); i += 4) {
      EXPECT_EQ(subs[i].tag + subs[i + 1].tag + subs[i + 2].tag + subs[i + 3].tag,
                "FRMRNAMEXSCLDATA");
      EXPECT_EQ(ReadInt32(plugin.bytes, subs[i].dataOffset), static_cast<int>(i - 3) / 4 + 1);
      std::string name(reinterpret_cast<const char*>(&plugin.bytes[subs[i + 1].dataOffset]),
                       subs[i + 1].dataSize - 1);
      std::size_t data = subs[i + 3].dataOffset;
      float x = ReadFloat(plugin.bytes, data), y = ReadFloat(plugin.bytes, data + 4);
      EXPECT_EQ(ReadFloat(plugin.bytes, data + 12), 0.0f);
      EXPECT_EQ(ReadFloat(plugin.bytes, data + 16), 0.0f);
      plugin.references.push_back(
          {KindOf(name), static_cast<int>(x + 212992) / 16, static_cast<int>(y + 212992) / 16,
           ReadFloat(plugin.bytes, data + 8), ReadFloat(plugin.bytes, subs[i + 2].dataOffset),
           ReadFloat(plugin.bytes, data + 20), column, row});
      EXPECT_EQ(std::fmod(x, 16.0f), 0.0f);
    }
  }
  return plugin;
}

// The terrain under a point, from the plane of its triangle: the quad's
// diagonal runs from its bottom-left corner when column and row are both even
// or both odd, from its bottom-right corner otherwise.
double TriangleHeight(const HeightGrid& grid, int sx, int sy) {
  int p = sx / 8, q = sy / 8;
  double fx = (sx % 8) / 8.0, fy = (sy % 8) / 8.0;
  double h00 = 8.0 * grid.at(p, q), h10 = 8.0 * grid.at(p + 1, q);
  double h01 = 8.0 * grid.at(p, q + 1), h11 = 8.0 * grid.at(p + 1, q + 1);
  if ((p + q) % 2 == 0) {
    return fx > fy ? h00 + fx * (h10 - h00) + fy * (h11 - h10)
                   : h00 + fy * (h01 - h00) + fx * (h11 - h01);
  }
  return fx + fy < 1 ? h00 + fx * (h10 - h00) + fy * (h01 - h00)
                     : h11 + (1 - fx) * (h01 - h11) + (1 - fy) * (h10 - h11);
}

class ObjectRun : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    world_ = new testing::ScratchFolder;
    using tools::WriteGrayBitmap;
    WriteGrayBitmap(*world_ / "coast.bmp", [](int x, int y) { return 200 + (x + y) % 56; });
    WriteGrayBitmap(*world_ / "interior.bmp", [](int x, int y) { return (x * 3 + y) / 20 % 256; });
    WriteGrayBitmap(*world_ / "mountain.bmp", [](int x, int y) { return (x ^ y) % 7; });
    testing::WriteObjectIndex(*world_ / "objects.csv", kKinds);
    for (int kind = 1; kind <= static_cast<int>(kKinds.size()); ++kind) {
      testing::WriteDensityBitmap(*world_ / testing::DensityFileName(kind),
                                  [kind](int x, int y) { return Density(kind, x, y); });
    }
    shared_ = new testing::TestRun;
    Link(*shared_);
    Configure(*shared_, 5, 1);
    RunResult result = RunPipeline(shared_->context);
    ASSERT_EQ(result.outcome, RunOutcome::Finished) << result.message;
    plugin_ = new Plugin(ReadPlugin(shared_->folder / "Brackwyn.esp"));
  }
  static void TearDownTestSuite() {
    delete plugin_;
    delete shared_;
    delete world_;
    plugin_ = nullptr;
    shared_ = nullptr;
    world_ = nullptr;
  }

  static void Link(testing::TestRun& run) {
    for (const auto& entry : std::filesystem::directory_iterator(world_->path()))
      testing::LinkFile(entry.path(), run.folder.path() / entry.path().filename());
  }
  static void Configure(testing::TestRun& run, int seed, int createObjects) {
    testing::SetObjectSettings(run.window, "64", kBox);
    run.window.setState("chkCreateObjects", createObjects);
    run.window.setText("txtObjectSeed", std::to_string(seed));
  }
  // `indexLineEnd`: the object index written again with these line ends.
  static Plugin RunAgain(int seed, int createObjects, const char* indexLineEnd = nullptr) {
    testing::TestRun run;
    Link(run);
    Configure(run, seed, createObjects);
    if (indexLineEnd != nullptr) {
      std::vector<std::uint8_t> bytes = testing::ReadBytes(*world_ / "objects.csv");
      std::string text;
      for (std::uint8_t b : bytes) {
        if (b == '\n')
          text += indexLineEnd;
        else if (b != '\r')
          text += static_cast<char>(b);
      }
      std::filesystem::remove(run.folder / "objects.csv");
      std::ofstream(run.folder / "objects.csv", std::ios::binary) << text;
      run.window.setText("txtObjectIndex", "objects.csv");
    }
    RunResult result = RunPipeline(run.context);
    EXPECT_EQ(result.outcome, RunOutcome::Finished) << result.message;
    return ReadPlugin(run.folder / "Brackwyn.esp");
  }

  static testing::ScratchFolder* world_;
  static testing::TestRun* shared_;
  static Plugin* plugin_;
};

testing::ScratchFolder* ObjectRun::world_ = nullptr;
testing::TestRun* ObjectRun::shared_ = nullptr;
Plugin* ObjectRun::plugin_ = nullptr;

TEST_F(ObjectRun, StaticsFollowTheHeaderAndCountInTheRecordCount) {
  const Plugin& p = *plugin_;
  EXPECT_EQ(ReadInt32(p.bytes, 320), static_cast<int>(kKinds.size()) + 5408);
  ASSERT_EQ(p.records.size(), 1 + kKinds.size() + 5408);
  for (std::size_t i = 0; i < kKinds.size(); ++i) {
    const RecordView& stat = p.records[1 + i];
    ASSERT_EQ(stat.tag, "STAT");
    EXPECT_EQ(stat.subRecords.at(0).tag, "NAME");
    EXPECT_EQ(stat.subRecords.at(1).tag, "MODL");
    const char* model = reinterpret_cast<const char*>(&p.bytes[stat.subRecords[1].dataOffset]);
    EXPECT_EQ(std::string(model), kKinds[i].id + ".NIF");
  }
  EXPECT_EQ(p.records[1 + kKinds.size()].tag, "CELL");
}

TEST_F(ObjectRun, ReferencesStandInsideTheBoxWhereTheirKindQualifies) {
  ASSERT_GT(plugin_->references.size(), 1000u);
  for (const Reference& r : plugin_->references) {
    ASSERT_GE(r.kind, 1);
    EXPECT_EQ(r.sx / 512, r.cellColumn);
    EXPECT_EQ(r.sy / 512, r.cellRow);
    int x = r.sx / 8, y = r.sy / 8;
    EXPECT_TRUE(x >= kBox.x1 && x <= kBox.x2 && y >= kBox.y1 && y <= kBox.y2) << x << " " << y;
    EXPECT_GE(std::floor(Density(r.kind, x, y) / kDivisor), 1) << r.kind << " at " << x << " " << y;
  }
}

TEST_F(ObjectRun, HeightsLieOnTheTerrainScalesAndTurnsInRange) {
  const HeightGrid& grid = shared_->state.heightGrid;
  for (const Reference& r : plugin_->references) {
    EXPECT_EQ(r.z, static_cast<float>(TriangleHeight(grid, r.sx, r.sy))) << r.sx << " " << r.sy;
    int v = kKinds[static_cast<std::size_t>(r.kind - 1)].scaleVariation;
    int hundredths = static_cast<int>(std::lround(r.scale * 100.0));
    EXPECT_EQ(r.scale, static_cast<float>(hundredths / 100.0));
    EXPECT_GE(hundredths, 100 - v);
    EXPECT_LE(hundredths, 100 + v);
    EXPECT_GE(r.rotation, 0.0f);
    EXPECT_LT(r.rotation, 7.2831855f);
  }
}

TEST_F(ObjectRun, NoTwoBaseSquaresAndNoTwoTopSquaresOverlap) {
  std::map<std::pair<int, int>, int> base, top;
  auto mark = [](std::map<std::pair<int, int>, int>& grid, int size, const Reference& r) {
    int h = static_cast<int>(std::nearbyint(size / 2.0));
    for (int v = std::max(0, r.sy - h); v <= std::min(26623, r.sy - h + size - 1); ++v)
      for (int u = std::max(0, r.sx - h); u <= std::min(26623, r.sx - h + size - 1); ++u)
        if (++grid[{u, v}] > 1)
          return false;
    return true;
  };
  for (const Reference& r : plugin_->references) {
    const testing::KindLine& kind = kKinds[static_cast<std::size_t>(r.kind - 1)];
    ASSERT_TRUE(mark(base, kind.baseSize, r))
        << "base of " << kind.id << " at " << r.sx << " " << r.sy;
    ASSERT_TRUE(mark(top, kind.topSize, r))
        << "top of " << kind.id << " at " << r.sx << " " << r.sy;
  }
}

TEST_F(ObjectRun, PerKindTotalsAgreeEverywhere) {
  std::vector<int> perKind(kKinds.size() + 1, 0);
  for (const Reference& r : plugin_->references)
    ++perKind[static_cast<std::size_t>(r.kind)];
  std::istringstream text(shared_->window.text("txtObjectsCount"));
  std::string line;
  std::getline(text, line);
  EXPECT_EQ(line, "Object ID - Total\r");
  for (std::size_t kind = 1; kind <= kKinds.size(); ++kind) {
    EXPECT_GT(perKind[kind], 0) << kKinds[kind - 1].id;
    EXPECT_EQ(shared_->state.objectCounts[kind], perKind[kind]);
    std::getline(text, line);
    std::string digits = line.substr(line.find(" - ") + 3);
    digits.erase(std::remove(digits.begin(), digits.end(), ','), digits.end());
    EXPECT_EQ(std::stoi(digits), perKind[kind]) << line;
  }
  auto objects = testing::ReadDataRanges(shared_->folder / "Objects.dat");
  long long anchors = 0;
  for (const auto& [offset, bytes] : objects)
    anchors += std::count_if(bytes.begin(), bytes.end(), [](std::uint8_t b) { return b != 0; });
  EXPECT_EQ(anchors, static_cast<long long>(plugin_->references.size()));
  // The last cell lies outside the box: FRMR.dat ends empty.
  EXPECT_EQ(std::filesystem::file_size(shared_->folder / "FRMR.dat"), 0u);
}

// The same run again, with an index of LF line ends as other systems' editors
// write them: the same plugin.
TEST_F(ObjectRun, SameSeedSamePluginOtherSeedOtherLayout) {
  Plugin again = RunAgain(5, 1, "\n");
  EXPECT_TRUE(again.bytes == plugin_->bytes);
  Plugin other = RunAgain(6, 1);
  auto anchors = [](const Plugin& p) {
    std::vector<std::tuple<int, int, int>> all;
    for (const Reference& r : p.references)
      all.emplace_back(r.sx, r.sy, r.kind);
    return all;
  };
  EXPECT_NE(anchors(other), anchors(*plugin_));
}

TEST_F(ObjectRun, GrayedPlacesTheSameReferencesWithoutStatics) {
  Plugin grayed = RunAgain(5, 2);
  EXPECT_EQ(ReadInt32(grayed.bytes, 320), 5408);
  ASSERT_EQ(grayed.records.size(), 1u + 5408);
  EXPECT_EQ(grayed.records[1].tag, "CELL");
  ASSERT_EQ(grayed.references.size(), plugin_->references.size());
  // Same seed, same draws: the cells are the same bytes.
  const RecordView& first = grayed.records[1];
  const RecordView& checked = plugin_->records[1 + kKinds.size()];
  std::size_t statics = checked.offset - first.offset;
  EXPECT_TRUE(std::equal(
      grayed.bytes.begin() + static_cast<std::ptrdiff_t>(first.offset), grayed.bytes.end(),
      plugin_->bytes.begin() + static_cast<std::ptrdiff_t>(first.offset + statics)));
}

struct Failure {
  const char* name;
  std::function<void(testing::TestRun&)> spoil;
  const char* named;  // what the message must name
};

void PrintTo(const Failure& failure, std::ostream* out) {
  *out << failure.name;
}

void Replace(testing::TestRun& run, const std::string& name, std::string_view content) {
  std::filesystem::remove(run.folder / name);
  std::ofstream(run.folder / name, std::ios::binary) << content;
}

class ObjectRunFailure : public ObjectRun, public ::testing::WithParamInterface<Failure> {};

// Each stops the run with a message naming the culprit and leaves the
// previous plugin as it was.
TEST_P(ObjectRunFailure, NamesTheCulpritAndKeepsThePreviousPlugin) {
  testing::TestRun run;
  Link(run);
  Configure(run, 5, 1);
  std::ofstream(run.folder / "Brackwyn.esp", std::ios::binary) << "the previous plugin";
  GetParam().spoil(run);
  RunResult result = RunPipeline(run.context);
  EXPECT_EQ(result.outcome, RunOutcome::Failed);
  EXPECT_NE(result.message.find(GetParam().named), std::string::npos) << result.message;
  auto plugin = testing::ReadBytes(run.folder / "Brackwyn.esp");
  EXPECT_EQ(std::string(plugin.begin(), plugin.end()), "the previous plugin");
}

INSTANTIATE_TEST_SUITE_P(
    ObjectRun, ObjectRunFailure,
    ::testing::Values(
        Failure{"MissingIndex",
                [](testing::TestRun& run) { run.window.setText("txtObjectIndex", "none.csv"); },
                "none.csv"},
        Failure{"IndexWithoutKinds",
                [](testing::TestRun& run) { Replace(run, "objects.csv", "a,b,c,d,e\r\n\r\n"); },
                "no object kind"},
        Failure{"MissingDensityBitmap",
                [](testing::TestRun& run) {
                  std::filesystem::remove(run.folder / testing::DensityFileName(3));
                },
                "density3.bmp"},
        Failure{"ShortDensityBitmap",
                [](testing::TestRun& run) { Replace(run, testing::DensityFileName(2), "BM"); },
                "density2.bmp"},
        Failure{"DivisorNotANumber",
                [](testing::TestRun& run) { run.window.setText("txtObjectDivisor", "sixty"); },
                "txtObjectDivisor"},
        Failure{"ConfineOutsideTheBitmaps",
                [](testing::TestRun& run) { run.window.setText("txtConfineObjectsX2", "4000"); },
                "txtConfineObjectsX2"},
        Failure{"WorkFileCannotBeCreated",
                [](testing::TestRun& run) {
                  std::filesystem::create_directory(run.folder / "Objects.dat");
                },
                "Objects.dat"},
        Failure{"ReferenceFileCannotBeCreated",
                [](testing::TestRun& run) {
                  std::filesystem::create_directory(run.folder / "FRMR.dat");
                },
                "FRMR.dat"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace brackwyn
