// The main window without a toolkit: the text of every text box and output
// area, the state of both check boxes, the caption and the start button's
// enabled flag. It is the single source of settings; stages and front ends
// both read and write it, and it tells the front end about every change.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/control_table.hpp"
#include "model/front_end.hpp"

namespace brackwyn {

class WindowModel {
 public:
  // Start-up: every control holds its default, the output areas are empty and
  // the caption is the idle caption.
  WindowModel();

  WindowModel(const WindowModel&) = delete;
  WindowModel& operator=(const WindowModel&) = delete;

  // Text boxes and output areas. An unknown name is a programming error and
  // throws std::invalid_argument.
  const std::string& text(std::string_view name) const;
  void setText(std::string_view name, std::string text);
  void appendText(std::string_view name, std::string_view more);

  // Check boxes: 0 unchecked, 1 checked, 2 grayed; other values throw
  // std::invalid_argument.
  int state(std::string_view name) const;
  void setState(std::string_view name, int state);

  const std::string& caption() const { return caption_; }
  void setCaption(std::string caption);
  std::string idleCaption() const;

  // The start button, and with it "Open Folder…": a window runs once, in the
  // folder it has when the run starts.
  bool beginEnabled() const { return beginEnabled_; }
  bool openFolderEnabled() const { return beginEnabled_; }
  void setBeginEnabled(bool enabled);

  // Every control back to its default and the output areas empty.
  void resetToDefaults();

  FrontEnd& frontEnd() const { return *frontEnd_; }
  // nullptr restores the headless front end.
  void setFrontEnd(FrontEnd* frontEnd);

  // Set when the user closes the window (or interrupts the runner) during a
  // run; YieldToUI then abandons the run.
  void requestClose() { closeRequested_ = true; }
  bool closeRequested() const { return closeRequested_; }

 private:
  std::size_t indexOf(std::string_view name, ControlKind expected) const;
  void notify(std::string_view name) { frontEnd_->modelChanged(name); }

  std::vector<std::string> texts_;  // parallel to ControlTable()
  std::vector<int> states_;
  std::string caption_;
  bool beginEnabled_ = true;
  bool closeRequested_ = false;
  HeadlessFrontEnd headless_;
  FrontEnd* frontEnd_ = &headless_;
};

}  // namespace brackwyn
