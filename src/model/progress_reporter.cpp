#include "model/progress_reporter.hpp"

#include <cmath>
#include <cstdint>

#include "core/units.hpp"
#include "model/control_names.hpp"

namespace brackwyn {

std::string FormatStageTimeLine(std::string_view stageName, double elapsedSeconds) {
  auto hours = static_cast<std::int64_t>(std::trunc(elapsedSeconds / 60 / 60));
  auto minutes = static_cast<std::int32_t>(std::trunc(elapsedSeconds / 60)) % 60;
  auto seconds = static_cast<std::int32_t>(std::trunc(elapsedSeconds)) % 60;
  std::string line(stageName);
  line += " - " + std::to_string(hours) + ":" + std::to_string(minutes) + ":" +
          std::to_string(seconds) + "\r\n";
  return line;
}

void ProgressReporter::ShowProgress(std::string_view text) {
  std::string caption = window_.idleCaption();
  caption += text;
  window_.setCaption(std::move(caption));
}

void ProgressReporter::LogStageTime(std::string_view stageName) {
  double seconds = std::chrono::duration<double>(Clock::now() - stageStart_).count();
  timings_.push_back({std::string(stageName), seconds});
  window_.appendText(control::txtTimes, FormatStageTimeLine(stageName, seconds));
}

}  // namespace brackwyn
