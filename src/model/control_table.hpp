// The main window as data: every frame, heading, row caption, text box, check
// box, separator, output area and button, in display order, with its caption,
// default, tool-tip and editable flag. The desktop window draws itself from
// this table and the runner lists settings from it.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace brackwyn {

enum class ControlKind {
  Frame,
  Heading,
  RowCaption,
  TextBox,
  CheckBox,
  Separator,
  OutputArea,
  Button
};

struct ControlSpec {
  ControlKind kind;
  std::string_view name;         // control name; empty for headings, row captions and separators
  std::string_view frame;        // the frame that holds it; empty for frames and buttons
  std::string_view caption;      // frame, heading, row caption, check box or button text
  std::string_view label;        // settings only: how messages and listings name it
  std::string_view defaultText;  // text boxes
  int defaultState;              // check boxes: 0 unchecked, 1 checked, 2 grayed
  std::string_view toolTip;
  bool editable;
  // Place in the grid of the parameter frame (row, first column, columns spanned).
  int row;
  int column;
  int columnSpan;
  bool largeFont;  // the start button's caption
  // Buttons: the letter that Alt presses it with, underlined in the caption;
  // 0 for none.
  char mnemonic;
};

std::span<const ControlSpec> ControlTable();

// nullptr when no control has that name.
const ControlSpec* FindControl(std::string_view name);

// The editable settings and fixed boxes: text boxes and check boxes of the
// parameter frame, in display order.
bool IsSetting(const ControlSpec& control);

// The caption as both toolkits take it: '&' before the mnemonic letter's
// first occurrence, and every '&' of the caption itself doubled.
std::string MnemonicCaption(const ControlSpec& control);

// `"Object Random Number Seed" (txtObjectSeed)`: how errors name a setting.
std::string DescribeSetting(std::string_view name);

}  // namespace brackwyn
