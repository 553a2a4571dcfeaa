// Progress and timing services of every stage: the caption's progress text,
// the hand-over to the window's event processing, and the stage-time log.
#pragma once

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "core/run_error.hpp"
#include "model/window_model.hpp"

namespace brackwyn {

struct StageTiming {
  std::string stageName;
  double seconds;
};

// "LoadElevation - 0:2:7" plus CR LF for 127.9 s: hours, minutes and seconds
// without padding, each truncated toward zero.
std::string FormatStageTimeLine(std::string_view stageName, double elapsedSeconds);

class ProgressReporter {
 public:
  explicit ProgressReporter(WindowModel& window) : window_(window) {}

  void StartStage() { stageStart_ = Clock::now(); }

  // Caption becomes "Brackwyn <version>" + text; text starts with " - ".
  void ShowProgress(std::string_view text);

  // Lets the window handle pending events. Returns true when a handler ran, so
  // callers re-read their live settings only then. Throws RunAbandoned when
  // the user closed the window.
  bool YieldToUI() {
    bool ran = window_.frontEnd().processEvents();
    if (window_.closeRequested())
      throw RunAbandoned{};
    return ran;
  }

  // Appends the stage-time line to txtTimes and keeps the exact duration.
  void LogStageTime(std::string_view stageName);

  const std::vector<StageTiming>& timings() const { return timings_; }

 private:
  using Clock = std::chrono::steady_clock;

  WindowModel& window_;
  Clock::time_point stageStart_ = Clock::now();
  std::vector<StageTiming> timings_;
};

}  // namespace brackwyn
