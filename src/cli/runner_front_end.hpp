// What the runner puts in place of the window: progress on the terminal, the
// completion and error messages kept for the end, and Ctrl-C / SIGTERM
// turned into closing the window.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "app/front_end.hpp"
#include "app/window_model.hpp"
#include "cli/terminal_progress.hpp"

namespace brackwyn::cli {

class RunnerFrontEnd : public FrontEnd {
 public:
  RunnerFrontEnd(WindowModel& window, TerminalProgress& progress);

  // Called up to millions of times a run: a signal check and a counter; the
  // clock only every few thousand calls, and only while a caption waits.
  bool processEvents() override;
  void showMessage(std::string_view title, std::string_view text) override;
  void showError(std::string_view title, std::string_view text) override;
  void modelChanged(std::string_view controlName) override;

  const std::string& message() const { return message_; }
  const std::string& error() const { return error_; }

 private:
  static constexpr std::uint32_t kCallsBetweenClockReads = 4096;

  WindowModel& window_;
  TerminalProgress& progress_;
  std::uint32_t calls_ = 0;
  std::string message_;
  std::string error_;
};

}  // namespace brackwyn::cli
