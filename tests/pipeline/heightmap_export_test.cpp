#include "pipeline/heightmap_export.hpp"

#include <gtest/gtest.h>

#include "core/run_error.hpp"
#include "elevation/heightmap_heights.hpp"
#include "plugin/header_record.hpp"
#include "plugin/other_writer_plugin.hpp"

namespace brackwyn {
namespace {

struct Land {
  int x, y;
  std::int8_t step;  // 0: a LAND without heights
};

PluginContents PluginOf(std::initializer_list<Land> lands) {
  RecordWriter out;
  WriteHeaderRecord(out, "Master.esm", 0);
  for (const Land& land : lands) {
    if (land.step != 0) {
      testing::WriteOtherLand(out, land.x, land.y, land.step);
      continue;
    }
    out.startRecord("LAND");
    out.startSubRecord("INTV");
    out.writeInt32(land.x);
    out.writeInt32(land.y);
    out.endSubRecord();
    out.writeInt32SubRecord("DATA", 0);
    out.endRecord();
  }
  return ReadPlugin(out.bytes(), "test.esp");
}

// The height in steps that a run reads back from vertex (x, y) of the export.
std::int64_t Imported(const HeightmapExport& exported, int x, int y) {
  return HeightmapHeight(exported.low, exported.high, 65535, exported.samples.at(x, y));
}

// WriteOtherLand's cells rise (step 1) or fall (-1) by a step a vertex each
// way from a base of 40 steps.
TEST(HeightmapExport, LaterPluginsReplaceCellsAndLandWithoutHeightsIsNone) {
  const std::vector<PluginContents> plugins = {
      PluginOf({{0, 0, 1}, {1, 0, 1}, {2, 0, 1}, {60, 0, 1}}), PluginOf({{1, 0, -1}, {2, 0, 0}})};
  HeightmapExport exported = ExportHeightmap(plugins, std::nullopt);
  EXPECT_EQ(exported.origin.x, 0);
  EXPECT_EQ(exported.origin.y, 0);
  EXPECT_EQ(exported.cellsOutside, 1);
  EXPECT_EQ(exported.roundedHeights, 0);
  EXPECT_EQ(exported.low, -2048);
  EXPECT_EQ(exported.high, (40 + 63 + 63) * 8);
  EXPECT_EQ(Imported(exported, 0, 0), 40);
  EXPECT_EQ(Imported(exported, 63, 63), 40 + 126);
  EXPECT_EQ(Imported(exported, 64 + 10, 5), 40 - 15);
  EXPECT_EQ(Imported(exported, 128 + 3, 3), -256);
  EXPECT_EQ(Imported(exported, 3000, 3000), -256);

  exported = ExportHeightmap(plugins, CellCoordinates{-51, -1});
  EXPECT_EQ(exported.cellsOutside, 2);
  EXPECT_EQ(Imported(exported, 51 * 64 + 7, 64 + 9), 40 + 16);
}

TEST(HeightmapExport, ReadsAnotherWritersPlugin) {
  const std::vector<PluginContents> plugins = {
      ReadPlugin(testing::OtherWriterPlugin(), "other.esp")};
  HeightmapExport exported = ExportHeightmap(plugins, std::nullopt);
  EXPECT_EQ(exported.origin.x, 3);
  EXPECT_EQ(exported.origin.y, 4);
  EXPECT_EQ(exported.cellsOutside, 0);
  EXPECT_EQ(Imported(exported, 10, 20), 40 + 30);
  EXPECT_EQ(Imported(exported, 128 + 10, 20), 40 - 30);
  EXPECT_EQ(Imported(exported, 64 + 1, 1), -256);
}

TEST(HeightmapExport, PluginsWithoutLandHaveNothingToExport) {
  const std::vector<PluginContents> plugins = {PluginOf({{0, 0, 0}})};
  EXPECT_THROW(ExportHeightmap(plugins, std::nullopt), RunError);
}

}  // namespace
}  // namespace brackwyn
