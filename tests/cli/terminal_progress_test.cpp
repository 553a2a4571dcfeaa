#include "cli/terminal_progress.hpp"

#include <gtest/gtest.h>

#include <sstream>

namespace brackwyn::cli {
namespace {

using namespace std::chrono_literals;
using Clock = TerminalProgress::Clock;

const Clock::time_point kStart{};

TEST(TerminalProgress, ShowsTheTextAfterTheVersion) {
  EXPECT_EQ(TerminalProgress::ProgressText("Brackwyn 1.3.1 - Merging heights"), "Merging heights");
  EXPECT_EQ(TerminalProgress::ProgressText("Brackwyn 1.3.1"), "");
}

TEST(TerminalProgress, DrawsABarForPercentages) {
  EXPECT_EQ(TerminalProgress::FormatLine("Writing Brackwyn.ESP - 42% Complete", 80),
            "Writing Brackwyn.ESP - 42% Complete  [########............]");
  EXPECT_EQ(TerminalProgress::FormatLine("Creating objects - 3328/3327 - 100% Complete", 80),
            "Creating objects - 3328/3327 - 100% Complete  [####################]");
  EXPECT_EQ(TerminalProgress::FormatLine("Loading height bitmaps", 80), "Loading height bitmaps");
}

TEST(TerminalProgress, FitsTheLineIntoTheTerminal) {
  std::string line = TerminalProgress::FormatLine("Calculating vertex colors - 50% Complete", 40);
  EXPECT_EQ(line.size(), 39u);
  EXPECT_TRUE(line.ends_with("[##########..........]")) << line;
  // Never cuts a character in two: "é" is two bytes.
  EXPECT_EQ(TerminalProgress::FormatLine(std::string(18, 'a') + "\u00e9\u00e9", 20),
            std::string(18, 'a'));
}

TEST(TerminalProgress, InPlaceRedrawsAtMostEveryTenthOfASecond) {
  std::ostringstream out;
  TerminalProgress progress(out, TerminalProgress::Style::InPlace, 80);
  progress.captionChanged("Brackwyn 1.3.1 - A - 1% Complete", kStart);
  progress.captionChanged("Brackwyn 1.3.1 - A - 2% Complete", kStart + 50ms);
  EXPECT_TRUE(progress.pending());
  progress.flushDue("Brackwyn 1.3.1 - A - 3% Complete", kStart + 99ms);
  EXPECT_TRUE(progress.pending());
  progress.flushDue("Brackwyn 1.3.1 - A - 3% Complete", kStart + 100ms);
  EXPECT_FALSE(progress.pending());
  progress.finish();
  EXPECT_EQ(out.str(),
            "\rA - 1% Complete  [....................]\x1b[K"
            "\rA - 3% Complete  [....................]\x1b[K"
            "\r\x1b[K");
}

TEST(TerminalProgress, LinesComeAtMostOnceASecondAndNeverRepeat) {
  std::ostringstream out;
  TerminalProgress progress(out, TerminalProgress::Style::Lines, 80);
  progress.captionChanged("Brackwyn 1.3.1 - Loading height bitmaps", kStart);
  progress.captionChanged("Brackwyn 1.3.1 - Scaling coast heights", kStart + 10ms);
  progress.captionChanged("Brackwyn 1.3.1 - Merging heights", kStart + 20ms);
  progress.flushDue("Brackwyn 1.3.1 - Merging heights", kStart + 1s);
  progress.captionChanged("Brackwyn 1.3.1 - Merging heights", kStart + 3s);
  progress.captionChanged("Brackwyn 1.3.1", kStart + 5s);
  progress.finish();
  EXPECT_EQ(out.str(), "Loading height bitmaps\nMerging heights\n");
}

}  // namespace
}  // namespace brackwyn::cli
