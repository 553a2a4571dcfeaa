// What the window model needs from whatever shows it: the desktop window, the
// command-line runner, or a test.
#pragma once

#include <string_view>

namespace brackwyn {

class FrontEnd {
 public:
  virtual ~FrontEnd() = default;

  // Handles pending user events. Called after every row, cell or pixel of
  // the long loops, so it must return fast when there is nothing to do; the
  // front end decides how often it really looks. Returns true when any
  // handler ran, that is, when a live setting may have changed.
  virtual bool processEvents() = 0;

  // A modal message with an OK button only and no icon.
  virtual void showMessage(std::string_view title, std::string_view text) = 0;

  // A failed run: the message names the setting or file and what is wrong.
  virtual void showError(std::string_view title, std::string_view text) {
    showMessage(title, text);
  }

  // A control's text or state, the caption ("frmMain") or the start
  // button's enabled flag ("cmdBegin") changed in the model.
  virtual void modelChanged(std::string_view controlName) { (void)controlName; }
};

// For runs without a display: no events, messages are dropped.
class HeadlessFrontEnd : public FrontEnd {
 public:
  bool processEvents() override { return false; }
  void showMessage(std::string_view, std::string_view) override {}
};

}  // namespace brackwyn
