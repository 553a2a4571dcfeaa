// The window caption's progress text on the runner's output. On a terminal it
// is one line redrawn in place, with a bar for the texts that carry a
// percentage; otherwise (a log file, a pipe) plain lines. Both are rate
// limited, so a stage that changes the caption per row or per cell never
// waits for the terminal.
#pragma once

#include <chrono>
#include <cstddef>
#include <ostream>
#include <string>
#include <string_view>

namespace brackwyn::cli {

class TerminalProgress {
 public:
  using Clock = std::chrono::steady_clock;
  enum class Style { InPlace, Lines };

  TerminalProgress(std::ostream& out, Style style, std::size_t width);

  // Draws the caption at once, or keeps it pending when the last line was
  // drawn too recently.
  void captionChanged(std::string_view caption, Clock::time_point now);
  bool pending() const { return pending_; }
  // Draws the pending caption (the window's current one) once its time has come.
  void flushDue(std::string_view caption, Clock::time_point now);
  // Clears the in-place line so that the next output starts on a clean line.
  void finish();

  // The progress text of a caption: what follows "Brackwyn <version> - ".
  static std::string_view ProgressText(std::string_view caption);
  // The in-place line: the text cut to fit `width` and, when the text ends in
  // a percentage ("... - 42% Complete"), a bar.
  static std::string FormatLine(std::string_view text, std::size_t width);

  static constexpr Clock::duration kInPlaceInterval = std::chrono::milliseconds(100);
  static constexpr Clock::duration kLinesInterval = std::chrono::seconds(1);

 private:
  void draw(std::string_view caption, Clock::time_point now);

  std::ostream& out_;
  Style style_;
  std::size_t width_;
  Clock::duration interval_;
  Clock::time_point lastDraw_;
  bool drawnOnce_ = false;
  bool pending_ = false;
  bool lineVisible_ = false;  // in place: text on the line that finish() must clear
  std::string lastText_;
};

}  // namespace brackwyn::cli
