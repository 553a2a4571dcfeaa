#include "model/progress_reporter.hpp"

#include <gtest/gtest.h>

#include "support/test_support.hpp"

namespace brackwyn {
namespace {

TEST(FormatStageTimeLine, TruncatesEachFieldWithoutPadding) {
  EXPECT_EQ(FormatStageTimeLine("LoadElevation", 7.4), "LoadElevation - 0:0:7\r\n");
  EXPECT_EQ(FormatStageTimeLine("LoadElevation", 127.9), "LoadElevation - 0:2:7\r\n");
  EXPECT_EQ(FormatStageTimeLine("LoadElevation", 3725), "LoadElevation - 1:2:5\r\n");
  EXPECT_EQ(FormatStageTimeLine("X", 59.7), "X - 0:0:59\r\n");
  EXPECT_EQ(FormatStageTimeLine("X", 60.2), "X - 0:1:0\r\n");
  EXPECT_EQ(FormatStageTimeLine("X", 3600), "X - 1:0:0\r\n");
}

TEST(ProgressReporter, CaptionAppendsTheProgressTextAndLogAccumulates) {
  testing::TestRun run;
  run.progress.ShowProgress(" - Loading height bitmaps");
  EXPECT_EQ(run.window.caption(), "Brackwyn 1.3.1 - Loading height bitmaps");
  run.progress.StartStage();
  run.progress.LogStageTime("A");
  run.progress.LogStageTime("B");
  EXPECT_EQ(run.window.text("txtTimes"), "A - 0:0:0\r\nB - 0:0:0\r\n");
  ASSERT_EQ(run.progress.timings().size(), 2u);
  EXPECT_EQ(run.progress.timings()[1].stageName, "B");
}

TEST(ProgressReporter, YieldAbandonsTheRunOnceCloseIsRequested) {
  testing::TestRun run;
  EXPECT_FALSE(run.progress.YieldToUI());
  run.window.requestClose();
  EXPECT_THROW(run.progress.YieldToUI(), RunAbandoned);
}

}  // namespace
}  // namespace brackwyn
