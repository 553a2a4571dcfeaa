#include "plugin/plugin_reader.hpp"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/resource.h>
#include <unistd.h>
#endif

#include <cstring>
#include <filesystem>
#include <fstream>

#include "other_writer_plugin.hpp"
#include "plugin/cell_record.hpp"
#include "plugin/header_record.hpp"
#include "plugin/land_record.hpp"
#include "support/test_support.hpp"
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

#ifndef _WIN32
// A plugin file of `size` bytes, sparse, that starts with `start`.
void WriteSparse(const std::filesystem::path& path, const std::vector<std::uint8_t>& start,
                 std::uint64_t size) {
  {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(start.data()),
              static_cast<std::streamsize>(start.size()));
  }
  std::filesystem::resize_file(path, size);
}

void PutU32(std::vector<std::uint8_t>& bytes, std::uint32_t value) {
  for (int i = 0; i < 4; ++i)
    bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

using Check = bool (*)(const PluginContents*, const std::string& error);

[[noreturn]] void ReadAndExit(const std::filesystem::path& path, Check check) {
  struct rlimit limit {};
  limit.rlim_cur = limit.rlim_max = rlim_t{256} << 20;
  ::setrlimit(RLIMIT_AS, &limit);
  bool accepted = false;
  try {
    PluginContents contents = ReadPluginFile(path);
    accepted = check(&contents, "");
  } catch (const RunError& error) {
    std::fprintf(stderr, "%s\n", error.what());
    accepted = check(nullptr, error.what());
  }
  struct rusage usage {};
  ::getrusage(RUSAGE_SELF, &usage);
  std::fprintf(stderr, "peak %ld KiB\n", usage.ru_maxrss);
  ::_exit(accepted && usage.ru_maxrss < 64 * 1024 ? 0 : 1);
}

// In a child of its own with 256 MiB of address space: reads `path` and exits
// with 0 when `check` accepts the outcome and the peak memory stayed under
// 64 MiB.
void ReadUnderMemoryLimit(const std::filesystem::path& path, Check check) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");  // a fresh process, not a copy of this one
  EXPECT_EXIT(ReadAndExit(path, check), ::testing::ExitedWithCode(0), "peak");
}

using PluginReaderMemoryDeathTest = ::testing::Test;

// Neither a record that claims 4 GB nor 200 MiB of empty sub-records in one
// record fills the memory: the first is refused naming its offset, the second
// read with its sub-records counted.
TEST_F(PluginReaderMemoryDeathTest, StaysBoundedWhateverTheFileClaims) {
#ifdef __SANITIZE_ADDRESS__
  GTEST_SKIP() << "AddressSanitizer's shadow memory alone is larger than the address-space limit";
#endif
  testing::ScratchFolder folder;
  std::vector<std::uint8_t> claims4Gb = {'T', 'E', 'S', '3'};
  PutU32(claims4Gb, 0xFFFFFFFFu);
  WriteSparse(folder / "huge.esp", claims4Gb, (std::uint64_t{43} << 32) / 10);
  ReadUnderMemoryLimit(folder / "huge.esp", [](const PluginContents*, const std::string& error) {
    return error.find(
               "the TES3 record at byte 0 says it holds 4294967295 bytes, more than the "
               "256 MiB") != std::string::npos;
  });

  std::vector<std::uint8_t> land = OneCellPlugin();
  land.resize(361);  // the header record alone
  constexpr std::uint32_t kEmptySubRecords = 200u << 20;
  for (char c : std::string("LAND"))
    land.push_back(static_cast<std::uint8_t>(c));
  PutU32(land, 16 + kEmptySubRecords);
  land.resize(land.size() + 8, 0);
  for (char c : std::string("INTV"))
    land.push_back(static_cast<std::uint8_t>(c));
  PutU32(land, 8);
  land.resize(land.size() + 8, 0);  // cell (0, 0), then zeros: empty sub-records
  WriteSparse(folder / "long.esp", land, land.size() + kEmptySubRecords);
  ReadUnderMemoryLimit(folder / "long.esp", [](const PluginContents* contents, const std::string&) {
    return contents != nullptr && contents->lands.size() == 1 &&
           contents->lands[0].subRecords.size() == PluginLand::kListedSubRecords &&
           contents->lands[0].unlistedSubRecords == (200u << 20) / 8 + 1 - 64;
  });
}
#endif

}  // namespace
}  // namespace brackwyn
