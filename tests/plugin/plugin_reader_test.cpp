#include "plugin/plugin_reader.hpp"

#include <gtest/gtest.h>

#include <cstring>

#include "other_writer_plugin.hpp"
#include "plugin/cell_record.hpp"
#include "plugin/header_record.hpp"
#include "plugin/land_record.hpp"
#include "synthetic_land.hpp"

namespace brackwyn {
namespace {

using testing::OtherWriterPlugin;

// Our own framing: header, then one CELL and LAND.
std::vector<std::uint8_t> OneCellPlugin() {
  RunState state;
  testing::FillSyntheticLand(state);
  RecordWriter out;
  WriteHeaderRecord(out, "Brackwyn.esm", 0);
  StartCellRecord(out, CellPosition{0});
  out.endRecord();
  WriteLandRecord(out, CellPosition{0}, state.cellHeights, state.cellColors);
  return out.toVector();
}

TEST(PluginReader, ReadsOurRecords) {
  std::vector<std::uint8_t> bytes = OneCellPlugin();
  PluginContents plugin = ReadPlugin(bytes, "one.esp");
  EXPECT_FLOAT_EQ(plugin.header.version, 1.2f);
  ASSERT_EQ(plugin.header.masters.size(), 1u);
  EXPECT_EQ(plugin.header.masters[0].name, "Brackwyn.esm");
  EXPECT_EQ(plugin.header.masters[0].size, 0u);
  EXPECT_EQ(plugin.recordCounts,
            (std::map<std::string, int>{{"TES3", 1}, {"CELL", 1}, {"LAND", 1}}));
  ASSERT_EQ(plugin.lands.size(), 1u);
  const PluginLand& land = plugin.lands[0];
  EXPECT_EQ(land.gridX, -26);
  EXPECT_EQ(land.gridY, -26);
  EXPECT_EQ(land.subRecords,
            (std::vector<std::string>{"INTV", "DATA", "VNML", "VHGT", "WNAM", "VCLR"}));
  EXPECT_TRUE(land.normalsAllZero);
  EXPECT_EQ(*land.baseHeight, testing::SyntheticBaseHeight(0));
  EXPECT_EQ(land.heightSteps[5], testing::SyntheticStep(0, 5));
  EXPECT_EQ(land.colors[7], testing::SyntheticColor(0, 7));
}

TEST(PluginReader, ReadsAnotherWritersOrderAndRecords) {
  std::vector<std::uint8_t> bytes = OtherWriterPlugin();
  PluginContents plugin = ReadPlugin(bytes, "other.esp");
  EXPECT_EQ(plugin.header.author, "Someone");
  EXPECT_EQ(plugin.header.description, "A test");
  ASSERT_EQ(plugin.header.masters.size(), 2u);
  EXPECT_EQ(plugin.header.masters[1].name, "Tribunal.esm");
  EXPECT_EQ(plugin.header.masters[1].size, testing::kOtherMasterSize);
  EXPECT_EQ(plugin.recordCounts,
            (std::map<std::string, int>{
                {"TES3", 1}, {"GMST", 1}, {"LTEX", 1}, {"LAND", 2}, {"CELL", 2}}));
  ASSERT_EQ(plugin.cells.size(), 2u);
  const PluginCell& wilds = plugin.cells[0];
  EXPECT_EQ(wilds.name, "Wilds");
  EXPECT_FALSE(wilds.interior());
  EXPECT_EQ(wilds.gridX, 3);
  ASSERT_EQ(wilds.references.size(), 2u);
  EXPECT_EQ(wilds.references[1].id, "rock");
  EXPECT_FALSE(wilds.references[1].scale.has_value());
  EXPECT_FLOAT_EQ((*wilds.references[1].placement)[0], 2 * 8192 - 5.0f);
  EXPECT_TRUE(plugin.cells[1].interior());
  const PluginLand& land = plugin.lands[0];
  EXPECT_EQ(land.subRecords, (std::vector<std::string>{"INTV", "VCLR", "VHGT", "DATA"}));
  EXPECT_FALSE(land.hasNormals);
  EXPECT_EQ(*land.baseHeight, 40.0f);
  EXPECT_EQ(land.heightSteps[1], 1);
}

struct Damage {
  const char* name;
  std::size_t keep;     // bytes kept of the one-cell plugin
  std::size_t patchAt;  // 0: no patch
  std::uint32_t patchValue;
  const char* message;  // part of the error
};

class PluginReaderRefuses : public ::testing::TestWithParam<Damage> {};

TEST_P(PluginReaderRefuses, NamingTheOffsetAndTheRecord) {
  const Damage& damage = GetParam();
  std::vector<std::uint8_t> bytes = OneCellPlugin();
  bytes.resize(std::min(bytes.size(), damage.keep));
  if (damage.patchAt != 0)
    std::memcpy(bytes.data() + damage.patchAt, &damage.patchValue, 4);
  try {
    ReadPlugin(bytes, "bad.esp");
    FAIL() << "accepted";
  } catch (const PluginReadError& error) {
    EXPECT_NE(std::string(error.what()).find(damage.message), std::string::npos) << error.what();
    EXPECT_TRUE(std::string(error.what()).starts_with("\"bad.esp\": ")) << error.what();
  }
}

constexpr std::size_t kLand = 361 + 45;  // the LAND record's offset
INSTANTIATE_TEST_SUITE_P(
    Damages, PluginReaderRefuses,
    ::testing::Values(
        Damage{"NotAPlugin", 3, 0, 0, "does not begin with a TES3 header record"},
        Damage{"InRecordHeader", kLand + 10, 0, 0,
               "ends at byte 416, inside the header of the LAND record at byte 406"},
        Damage{"InRecord", kLand + 20000, 0, 0,
               "ends at byte 20406, inside the LAND record at byte 406, which says it holds 29723"},
        Damage{
            "SubRecordPastRecord", 1'000'000, kLand + 16 + 4, 1'000'000,
            "the LAND record at byte 406: its INTV sub-record at byte 422 says it holds 1000000"},
        Damage{"WrongHeightsSize", 1'000'000, kLand + 44, 0x54474856 /* "VHGT" */,
               "the LAND record at byte 406: its VHGT sub-record at byte 450 holds 12675 bytes; "
               "it should hold 4232"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace brackwyn
