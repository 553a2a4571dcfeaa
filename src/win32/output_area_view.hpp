// Mirrors one output area of the model (txtLog, txtObjectsCount, txtTimes) in
// a read-only multi-line edit control. Stages mostly append, up to a line per
// clipped vertex; the window hands over what was appended since it last
// looked, so one run's lines reach the control in a few large batches, each
// added at the end instead of setting the whole text again.
#pragma once

#include <string>
#include <string_view>

#include <windows.h>

namespace brackwyn::win32 {

class OutputAreaView {
 public:
  // Lifts the control's text limit (32,767 characters by default), which a
  // clipping report of a few thousand vertices would reach.
  explicit OutputAreaView(HWND edit);

  void show(const std::string& text);

  HWND control() const { return edit_; }

 private:
  void append(std::string_view tail);

  HWND edit_;
  std::string shown_;  // the model text the control shows
};

}  // namespace brackwyn::win32
