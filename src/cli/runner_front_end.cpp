#include "cli/runner_front_end.hpp"

#include "cli/interrupt_signals.hpp"

namespace brackwyn::cli {

RunnerFrontEnd::RunnerFrontEnd(WindowModel& window, TerminalProgress& progress)
    : window_(window), progress_(progress) {}

bool RunnerFrontEnd::processEvents() {
  if (ReceivedSignal() != 0) [[unlikely]]
    window_.requestClose();
  if (progress_.pending() && ++calls_ % kCallsBetweenClockReads == 0) [[unlikely]]
    progress_.flushDue(window_.caption(), TerminalProgress::Clock::now());
  return false;  // nothing here changes a setting during a run
}

void RunnerFrontEnd::modelChanged(std::string_view controlName) {
  if (controlName == "frmMain")
    progress_.captionChanged(window_.caption(), TerminalProgress::Clock::now());
}

}  // namespace brackwyn::cli
