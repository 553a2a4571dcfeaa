#include "core/event_pacer.hpp"

#include <gtest/gtest.h>

namespace brackwyn {
namespace {

constexpr std::int64_t kMs = 1'000'000;

TEST(EventPacer, AnswersYesAtOnceThenOncePerPeriod) {
  EventPacer pacer;
  std::int64_t start = 5'000 * kMs;
  EXPECT_TRUE(pacer.due(start));
  EXPECT_FALSE(pacer.due(start + 1));
  EXPECT_FALSE(pacer.due(start + 9 * kMs));
  EXPECT_TRUE(pacer.due(start + 10 * kMs));
  EXPECT_FALSE(pacer.due(start + 19 * kMs));
  EXPECT_TRUE(pacer.due(start + 25 * kMs));
}

TEST(EventPacer, TimeSpentHandlingEventsDoesNotCount) {
  EventPacer pacer;
  EXPECT_TRUE(pacer.due(0));
  pacer.restart(40 * kMs);  // a message box was open until then
  EXPECT_FALSE(pacer.due(45 * kMs));
  EXPECT_TRUE(pacer.due(50 * kMs));
}

TEST(EventPacer, TheCoarseClockMovesForward) {
  std::int64_t first = platform::CoarseNanoseconds();
  EXPECT_GT(first, 0);
  EXPECT_GE(platform::CoarseNanoseconds(), first);
}

}  // namespace
}  // namespace brackwyn
