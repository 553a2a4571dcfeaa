// What the runner puts in place of the window: progress on the terminal, and
// Ctrl-C / SIGTERM turned into closing the window. The completion message
// and errors are printed by the runner from the run's result.
#pragma once

#include <cstdint>
#include <string_view>

#include "cli/terminal_progress.hpp"
#include "model/front_end.hpp"
#include "model/window_model.hpp"

namespace brackwyn::cli {

class RunnerFrontEnd : public FrontEnd {
 public:
  RunnerFrontEnd(WindowModel& window, TerminalProgress& progress);

  // Called up to millions of times a run: a signal check and a counter; the
  // clock only every few thousand calls, and only while a caption waits.
  bool processEvents() override;
  void showMessage(std::string_view, std::string_view) override {}
  void modelChanged(std::string_view controlName) override;

 private:
  static constexpr std::uint32_t kCallsBetweenClockReads = 4096;

  WindowModel& window_;
  TerminalProgress& progress_;
  std::uint32_t calls_ = 0;
};

}  // namespace brackwyn::cli
