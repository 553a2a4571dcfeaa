#include "cli/run_summary.hpp"

#include <gtest/gtest.h>

namespace brackwyn::cli {
namespace {

TEST(RunSummary, GroupsDigitsInThrees) {
  EXPECT_EQ(GroupDigits(0), "0");
  EXPECT_EQ(GroupDigits(999), "999");
  EXPECT_EQ(GroupDigits(1000), "1,000");
  EXPECT_EQ(GroupDigits(1234567), "1,234,567");
  EXPECT_EQ(GroupDigits(-12345), "-12,345");
}

TEST(RunSummary, StageTimeLogLosesItsCarriageReturns) {
  EXPECT_EQ(StageTimeLogText("InitializeVariables - 0:0:0\r\nCreatePalette - 0:0:0\r\n"),
            "  InitializeVariables - 0:0:0\n  CreatePalette - 0:0:0\n");
}

TEST(RunSummary, ClippingSummaryCountsAndShowsTheFirstFew) {
  EXPECT_EQ(ClippingSummary("", "clipping-report.txt"),
            "Vertex height clipping: none (clipping-report.txt is empty).\n");
  EXPECT_EQ(ClippingSummary("x: 64 y: 3328\r\n", "r.txt"),
            "Vertex height clipping: 1 report, at (64, 3328) (pixel coordinates from the "
            "bottom-left corner of the bitmaps).\nThe whole report is in r.txt.\n");
  std::string log;
  for (int i = 0; i < 1007; ++i)
    log += "x: " + std::to_string(i) + " y: -1\r\n";
  std::string summary = ClippingSummary(log, "r.txt");
  EXPECT_TRUE(
      summary.starts_with("Vertex height clipping: 1,007 reports, at (0, -1), (1, -1), "
                          "(2, -1), (3, -1), (4, -1) and 1,002 more"))
      << summary;
  EXPECT_EQ(ClippingSummary("", ""), "Vertex height clipping: none.\n");
  EXPECT_TRUE(ClippingSummary("x: 64 y: 3328\r\n", "")
                  .ends_with("bitmaps).\nThe whole report could not be written.\n"));
}

TEST(RunSummary, ObjectCountsListOnlyKindsThatHaveAny) {
  ObjectPalette palette;
  palette.kinds = {{"flora_tree_01", "", 0, 0, 0}, {"rock_02", "", 0, 0, 0}};
  ObjectCounts counts{};
  EXPECT_EQ(ObjectCountSummary(palette, counts), "");
  counts[2] = 12345;
  EXPECT_EQ(ObjectCountSummary(palette, counts), "Objects placed:\n  2 rock_02: 12,345\n");
}

TEST(RunSummary, DurationsInMilliseconds) {
  std::vector<StageTiming> timings = {{"LoadElevation", 0.0421}, {"CreateESP", 0.2}};
  EXPECT_EQ(StageDurationTable(timings),
            "Stage durations:\n"
            "  LoadElevation              42.1 ms\n"
            "  CreateESP                 200.0 ms\n"
            "  Total                     242.1 ms\n");
}

}  // namespace
}  // namespace brackwyn::cli
