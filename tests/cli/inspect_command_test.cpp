#include "cli/inspect_command.hpp"

#include <gtest/gtest.h>

#include <fstream>

#include "plugin/other_writer_plugin.hpp"
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

}  // namespace
}  // namespace brackwyn::cli
