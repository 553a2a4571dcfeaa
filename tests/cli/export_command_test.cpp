// End-to-end: heightmaps out of plugins and back in, and the world placed
// elsewhere, through the built brackwyn-cli.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>

#include "cli_process.hpp"
#include "model/decoded_heights.hpp"
#include "plugin/plugin_reader.hpp"
#include "support/esmtool.hpp"
#include "support/test_support.hpp"
#include "tools/gray_bitmap_writer.hpp"

namespace brackwyn {
namespace {

using testing::CliOutcome;
using testing::RunCli;
using testing::ScratchFolder;
namespace fs = std::filesystem;

// The example world of the build folder, made by the example-world tool
// where ctest's fixture has not made it yet.
const fs::path& ExampleWorld() {
  static const fs::path folder = [] {
    fs::path path = BRACKWYN_CLI_EXAMPLE_WORLD;
    if (!fs::exists(path / "mountain.bmp")) {
      std::string command = std::string("\"") + BRACKWYN_MAKE_EXAMPLE_WORLD + "\" \"" +
                            path.string() + "\" > \"" + path.string() + ".txt\"";
      if (std::system(command.c_str()) != 0)
        throw std::runtime_error("cannot make the example world: " + command);
    }
    return path;
  }();
  return folder;
}

// Hills steeper than the example's, tapering to the sea floor at the edges
// so that nothing clips.
const fs::path& HillyWorld() {
  static ScratchFolder folder;
  static const bool made = [] {
    auto inland = [](int x, int y) {
      int edge = std::min(std::min(x, y), std::min(3327 - x, 3327 - y));
      return std::clamp((edge - 150) / 300.0, 0.0, 1.0);
    };
    tools::WriteGrayBitmap(folder / "coast.bmp", [&](int x, int y) {
      return static_cast<int>(std::lround(255 * inland(x, y)));
    });
    tools::WriteGrayBitmap(folder / "interior.bmp", [&](int x, int y) {
      return static_cast<int>(inland(x, y) * (127.5 + 127.5 * std::sin(x / 150.0)));
    });
    tools::WriteGrayBitmap(folder / "mountain.bmp", [&](int x, int y) {
      return static_cast<int>(inland(x, y) *
                              (127.5 + 127.5 * std::sin(x / 90.0) * std::sin(y / 110.0)));
    });
    return true;
  }();
  (void)made;
  return folder.path();
}

void LinkWorld(const fs::path& world, const fs::path& folder) {
  for (const fs::directory_entry& entry : fs::directory_iterator(world)) {
    const fs::path name = entry.path().filename();
    if (name.extension() == ".bmp" || name.extension() == ".csv")
      testing::LinkFile(entry.path(), folder / name);
  }
}

// The `--set NAME=VALUE` words of the line export prints.
std::vector<std::string> PrintedSettings(const std::string& out) {
  std::istringstream lines(out);
  std::string line;
  while (std::getline(lines, line)) {
    if (!line.starts_with("  --set "))
      continue;
    std::istringstream words(line);
    std::vector<std::string> arguments;
    for (std::string word; words >> word;)
      arguments.push_back(word);
    return arguments;
  }
  return {};
}

struct RoundTrip {
  const char* name;
  const fs::path& (*world)();
  const char* heightmap;
  int worldX, worldY;
  bool save;  // rebuild from Parameters.ini instead of the printed options
};

class ExportRoundTrip : public ::testing::TestWithParam<RoundTrip> {};

// Run, export, run again from the heightmap: the same plugin, byte for byte.
TEST_P(ExportRoundTrip, RebuildsTheSamePlugin) {
  const RoundTrip& c = GetParam();
#ifdef _WIN32
  if (c.world == ExampleWorld)
    GTEST_SKIP() << "the example world is made by the Linux tool";
#endif
  ScratchFolder folder;
  LinkWorld(c.world(), folder.path());
  CliOutcome first = RunCli({"--set", "txtWorldX=" + std::to_string(c.worldX), "--set",
                             "txtWorldY=" + std::to_string(c.worldY), "--set", "txtESP=first.esp"},
                            folder.path());
  ASSERT_EQ(first.status, 0) << first.err;
  ASSERT_TRUE(first.out.find("Vertex height clipping: none") != std::string::npos) << first.out;

  std::vector<std::string> exportWords = {"export", "first.esp", "--heightmap", c.heightmap};
  if (c.save)
    exportWords.push_back("--save");
  CliOutcome exported = RunCli(exportWords, folder.path());
  ASSERT_EQ(exported.status, 0) << exported.err;
  EXPECT_EQ(exported.err, "");
  std::string region = "Wrote cells (" + std::to_string(c.worldX) + ", " +
                       std::to_string(c.worldY) + ") to (" + std::to_string(c.worldX + 51) + ", " +
                       std::to_string(c.worldY + 51) + ")";
  EXPECT_TRUE(exported.out.starts_with(region)) << exported.out;

  std::vector<std::string> again =
      c.save ? std::vector<std::string>{"--load"} : PrintedSettings(exported.out);
  ASSERT_FALSE(again.empty()) << exported.out;
  again.insert(again.end(), {"--set", "txtESP=second.esp"});
  CliOutcome second = RunCli(again, folder.path());
  ASSERT_EQ(second.status, 0) << second.err;
  EXPECT_TRUE(testing::ReadBytes(folder / "first.esp") ==
              testing::ReadBytes(folder / "second.esp"));
}

INSTANTIATE_TEST_SUITE_P(
    Worlds, ExportRoundTrip,
    ::testing::Values(RoundTrip{"ExamplePng", ExampleWorld, "land.png", -26, -26, false},
                      RoundTrip{"HillyPng", HillyWorld, "land.png", -26, -26, false},
                      RoundTrip{"ExampleR16", ExampleWorld, "land.r16", -26, -26, false},
                      RoundTrip{"MovedExampleSaved", ExampleWorld, "land.png", 40, -10, true}),
    [](const auto& info) { return std::string(info.param.name); });

bool AllSea(const PluginLand& land) {
  std::vector<std::int32_t> heights(kVerticesPerCell);
  DecodeCellHeights(*land.baseHeight, land.heightSteps.data(), heights.data());
  return std::ranges::all_of(heights, [](std::int32_t h) { return h == -256; });
}

// With objects on: the plugin at the default place, moved to (40, -10), and
// without its open-sea cells.
class WorldPosition : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
#ifndef _WIN32
    folder_ = new ScratchFolder;
    LinkWorld(ExampleWorld(), folder_->path());
    for (auto [plugin, extra] : {std::pair{"default.esp", "txtWorldX=-26"},
                                 {"moved.esp", "txtWorldX=40"},
                                 {"sea.esp", "chkSkipSeaCells=1"}}) {
      std::string y = std::string(plugin) == "moved.esp" ? "txtWorldY=-10" : "txtWorldY=-26";
      CliOutcome run = RunCli({"--set", "chkCreateObjects=1", "--set", extra, "--set", y, "--set",
                               std::string("txtESP=") + plugin},
                              folder_->path());
      ASSERT_EQ(run.status, 0) << run.err;
    }
#endif
  }
  static void TearDownTestSuite() {
    delete folder_;
    folder_ = nullptr;
  }
  void SetUp() override {
#ifdef _WIN32
    GTEST_SKIP() << "the example world is made by the Linux tool";
#endif
  }
  static PluginContents Read(const char* name) {
    return ReadPluginFile(*folder_ / name);
  }

  static ScratchFolder* folder_;
};

ScratchFolder* WorldPosition::folder_ = nullptr;

TEST_F(WorldPosition, MovingShiftsEveryCellAndReferenceAndNothingElse) {
  PluginContents before = Read("default.esp");
  PluginContents after = Read("moved.esp");
  EXPECT_EQ(after.fileSize, before.fileSize);
  EXPECT_EQ(after.recordCounts, before.recordCounts);
  EXPECT_EQ(after.header.recordCount, before.header.recordCount);
  ASSERT_EQ(after.cells.size(), before.cells.size());
  std::size_t references = 0;
  for (std::size_t i = 0; i < before.cells.size(); ++i) {
    const PluginCell& a = before.cells[i];
    const PluginCell& b = after.cells[i];
    ASSERT_EQ(b.gridX, a.gridX + 66);
    ASSERT_EQ(b.gridY, a.gridY + 16);
    ASSERT_EQ(b.flags, a.flags);
    ASSERT_EQ(b.references.size(), a.references.size());
    for (std::size_t r = 0; r < a.references.size(); ++r) {
      std::array<float, 6> moved = *a.references[r].placement;
      moved[0] += 66 * 8192;
      moved[1] += 16 * 8192;
      ASSERT_EQ(*b.references[r].placement, moved);
      ASSERT_EQ(b.references[r].id, a.references[r].id);
      ASSERT_EQ(b.references[r].scale, a.references[r].scale);
      ASSERT_EQ(b.references[r].number, a.references[r].number);
      ++references;
    }
  }
  EXPECT_GT(references, 1000u);
  ASSERT_EQ(after.lands.size(), before.lands.size());
  for (std::size_t i = 0; i < before.lands.size(); ++i) {
    const PluginLand& a = before.lands[i];
    const PluginLand& b = after.lands[i];
    ASSERT_EQ(b.gridX, a.gridX + 66);
    ASSERT_EQ(b.gridY, a.gridY + 16);
    ASSERT_EQ(b.subRecords, a.subRecords);
    ASSERT_EQ(b.baseHeight, a.baseHeight);
    ASSERT_TRUE(b.heightSteps == a.heightSteps && b.colors == a.colors) << i;
  }
}

// Exactly the cells all at the sea floor without references go, and OpenMW
// still loads the plugin.
TEST_F(WorldPosition, OpenSeaCellsAreLeftOut) {
  PluginContents all = Read("default.esp");
  PluginContents sea = Read("sea.esp");
  std::vector<std::pair<int, int>> expected;
  for (std::size_t i = 0; i < all.cells.size(); ++i) {
    if (!AllSea(all.lands[i]) || !all.cells[i].references.empty())
      expected.emplace_back(all.cells[i].gridX, all.cells[i].gridY);
  }
  ASSERT_LT(expected.size(), all.cells.size());
  std::vector<std::pair<int, int>> kept, keptLand;
  for (const PluginCell& cell : sea.cells)
    kept.emplace_back(cell.gridX, cell.gridY);
  for (const PluginLand& land : sea.lands)
    keptLand.emplace_back(land.gridX, land.gridY);
  EXPECT_EQ(kept, expected);
  EXPECT_EQ(keptLand, expected);
  EXPECT_EQ(sea.header.recordCount,
            all.header.recordCount - 2 * static_cast<int>(all.cells.size() - expected.size()));

  std::string esmtool = testing::FindEsmtool();
  if (esmtool.empty())
    GTEST_SKIP() << "esmtool (OpenMW) is not installed";
  testing::EsmtoolDump dump = testing::DumpWithEsmtool(esmtool, *folder_ / "sea.esp");
  ASSERT_TRUE(dump.ok) << dump.text.substr(0, 2000);
  EXPECT_EQ(testing::CountLines(dump.text, "Record: CELL"), expected.size());
}

}  // namespace
}  // namespace brackwyn
