#include "cli/inspect_command.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "plugin/other_writer_plugin.hpp"
#include "plugin/record_writer.hpp"
#include "support/test_support.hpp"

namespace brackwyn::cli {
namespace {

bool Contains(const std::string& text, std::string_view part) {
  return text.find(part) != std::string::npos;
}

TEST(InspectReport, DescribesAnotherWritersPluginWithItsWarnings) {
  testing::ScratchFolder folder;
  std::ofstream(folder / "Morrowind.esm") << "not the size the plugin recorded";
  std::vector<std::uint8_t> bytes = testing::OtherWriterPlugin();
  std::string report = InspectReport(ReadPlugin(bytes, "other.esp"), folder / "other.esp");
  for (std::string_view line :
       {"Header: version 1.3, type plugin (0), author \"Someone\", description \"A test\"\n",
        "  record count in the header: 7 (6 records follow the header)\n",
        "  Morrowind.esm, 79837557 bytes\n  Tribunal.esm, 79837557 bytes\n",
        "  CELL 2\n  GMST 1\n  LAND 2\n  LTEX 1\n  TES3 1\n",
        "Exterior cells with land: 2, grid X 3 to 5, Y 4 to 4\n",
        "  INTV in 2 of 2\n  VCLR in 2 of 2\n  VHGT in 2 of 2\n  DATA in 2 of 2\n",
        "Heights: -88 to 168 height steps (-704 to 1344 game units)",
        "References: 2 in 1 cells\n  flora_tree 1\n  rock 1\n",
        "has 32 bytes: the game warns about a changed master",
        "The header counts 7 records, but 6 follow it",
        "is for cell (5, 4), which has no exterior CELL record",
        "Reference 2 (rock) of cell (3, 4)"}) {
    EXPECT_TRUE(Contains(report, line)) << line << "\n---\n" << report;
  }
  EXPECT_FALSE(Contains(report, "normals")) << report;  // no VNML at all: nothing to warn of
}

// Faults the game does not forgive: two statics whose IDs differ only in
// case, and land whose base height is not a number.
TEST(InspectReport, WarnsAboutStaticsOfOneIdAndBaseHeightsThatAreNoNumbers) {
  std::vector<std::uint8_t> bytes = testing::OtherWriterPlugin();
  const std::uint8_t vhgt[] = {'V', 'H', 'G', 'T'};
  auto at = std::search(bytes.begin(), bytes.end(), std::begin(vhgt), std::end(vhgt));
  ASSERT_NE(at, bytes.end());
  const std::uint8_t nan[] = {0, 0, 0xC0, 0x7F};
  std::copy(std::begin(nan), std::end(nan), at + 8);
  RecordWriter out;
  for (const char* id : {"Rock_01", "rock_01"}) {
    out.startRecord("STAT");
    out.writeZStringSubRecord("NAME", id);
    out.endRecord();
  }
  bytes.insert(bytes.end(), out.bytes().begin(), out.bytes().end());
  std::string report = InspectReport(ReadPlugin(bytes, "other.esp"), "other.esp");
  EXPECT_TRUE(Contains(report,
                       "have the same ID (\"Rock_01\" and \"rock_01\"; the game does "
                       "not tell case apart)"))
      << report;
  EXPECT_TRUE(Contains(report, "has a base height (VHGT) that is not a number")) << report;
}

}  // namespace
}  // namespace brackwyn::cli
