#include "win32/window_layout.hpp"

#include <algorithm>
#include <map>

#include "model/control_table.hpp"

namespace brackwyn::win32 {
namespace {

constexpr int kSettingsColumns = 5;  // row captions, then four columns of boxes

// In dialog units, as Windows' own dialogs use them.
constexpr int kMargin = 7;
constexpr int kGap = 4;
constexpr int kFrameTop = 11;   // below the frame's caption
constexpr int kFrameInset = 7;  // the frame's other sides
constexpr int kEditHeight = 12;
constexpr int kCheckHeight = 10;
constexpr int kLabelHeight = 8;
constexpr int kButtonHeight = 14;
constexpr int kBoxPadding = 8;     // a text box's border and margins around its text
constexpr int kCheckPadding = 16;  // the box in front of a check box's caption
constexpr int kMinimumPaneWidth = 100;

RECT Rect(int x, int y, int width, int height) {
  return {x, y, x + width, y + height};
}

int RowHeight(ControlKind kind) {
  switch (kind) {
    case ControlKind::TextBox:
      return kEditHeight + 2;
    case ControlKind::CheckBox:
      return kCheckHeight + 2;
    case ControlKind::Separator:
      return 6;
    default:
      return kLabelHeight + 2;
  }
}

int ControlHeight(ControlKind kind) {
  switch (kind) {
    case ControlKind::TextBox:
      return kEditHeight;
    case ControlKind::CheckBox:
      return kCheckHeight;
    case ControlKind::Separator:
      return 0;
    default:
      return kLabelHeight;
  }
}

// One settings frame's grid: column widths and row heights in pixels.
struct Grid {
  std::vector<int> columnWidths = std::vector<int>(kSettingsColumns, 0);
  std::vector<int> rowHeights;
  int width() const {
    int sum = 0;
    for (int width : columnWidths)
      sum += width;
    return sum;
  }
  int height() const {
    int sum = 0;
    for (int height : rowHeights)
      sum += height;
    return sum;
  }
  int x(int column) const {
    int sum = 0;
    for (int i = 0; i < column; ++i)
      sum += columnWidths[i];
    return sum;
  }
  int y(int row) const {
    int sum = 0;
    for (int i = 0; i < row; ++i)
      sum += rowHeights[i];
    return sum;
  }
};

Grid MeasureGrid(std::string_view frame, const LayoutInput& input) {
  const DialogUnits& u = input.units;
  Grid grid;
  int boxWidth = input.textWidth("-000000") + u.across(kBoxPadding);
  for (int column = 1; column < kSettingsColumns; ++column)
    grid.columnWidths[column] = boxWidth;
  int spannedWidth = 0;
  for (const ControlSpec& control : ControlTable()) {
    if (control.frame != frame || control.kind == ControlKind::OutputArea)
      continue;
    if (static_cast<int>(grid.rowHeights.size()) <= control.row)
      grid.rowHeights.resize(static_cast<std::size_t>(control.row) + 1,
                             u.down(RowHeight(ControlKind::Heading)));
    int& height = grid.rowHeights[static_cast<std::size_t>(control.row)];
    height = std::max(height, u.down(RowHeight(control.kind)));
    int textWidth = control.caption.empty() ? 0 : input.textWidth(control.caption) + u.across(kGap);
    if (control.kind == ControlKind::CheckBox)
      textWidth += u.across(kCheckPadding);
    if (control.columnSpan == 1) {
      int& width = grid.columnWidths[static_cast<std::size_t>(control.column)];
      width = std::max(width, textWidth);
    } else if (control.column == 0) {
      spannedWidth = std::max(spannedWidth, textWidth);
    }
  }
  // A caption wider than the whole grid widens the caption column.
  grid.columnWidths[0] += std::max(0, spannedWidth - grid.width());
  return grid;
}

}  // namespace

Layout LayOutWindow(const LayoutInput& input) {
  const DialogUnits& u = input.units;
  auto controls = ControlTable();
  Layout layout;
  layout.controls.assign(controls.size(), RECT{});

  // Which frames hold settings and which output areas, in table order.
  std::vector<std::string_view> settingsFrames, outputFrames;
  std::map<std::string_view, std::size_t> frameIndex;
  for (std::size_t i = 0; i < controls.size(); ++i) {
    const ControlSpec& control = controls[i];
    if (control.kind == ControlKind::Frame) {
      frameIndex[control.name] = i;
    } else if (control.kind == ControlKind::OutputArea) {
      if (std::find(outputFrames.begin(), outputFrames.end(), control.frame) == outputFrames.end())
        outputFrames.push_back(control.frame);
    } else if (!control.frame.empty() && std::find(settingsFrames.begin(), settingsFrames.end(),
                                                   control.frame) == settingsFrames.end()) {
      settingsFrames.push_back(control.frame);
    }
  }

  const int margin = u.across(kMargin);
  const int gap = u.across(kGap);
  const int buttonHeight =
      std::max(u.down(kButtonHeight), input.largeLineHeight + u.down(kButtonHeight - kLabelHeight));

  // The settings frames, top to bottom.
  int settingsWidth = 0;
  int y = margin;
  for (std::string_view frame : settingsFrames) {
    Grid grid = MeasureGrid(frame, input);
    int left = margin + u.across(kFrameInset);
    int top = y + u.down(kFrameTop);
    for (std::size_t i = 0; i < controls.size(); ++i) {
      const ControlSpec& control = controls[i];
      if (control.frame != frame)
        continue;
      int cellX = left + grid.x(control.column);
      int cellY = top + grid.y(control.row);
      int cellWidth = grid.x(control.column + control.columnSpan) - grid.x(control.column);
      int rowHeight = grid.rowHeights[static_cast<std::size_t>(control.row)];
      int height = control.kind == ControlKind::Separator ? 2 : u.down(ControlHeight(control.kind));
      int inset = control.column > 0 ? gap / 2 : 0;  // boxes side by side do not touch
      layout.controls[i] = Rect(cellX + inset, cellY + (rowHeight - height) / 2,
                                cellWidth - inset - (control.column > 0 ? gap / 2 : 0), height);
    }
    int width = grid.width() + 2 * u.across(kFrameInset);
    int height = grid.height() + u.down(kFrameTop + kFrameInset);
    layout.controls[frameIndex.at(frame)] = Rect(margin, y, width, height);
    settingsWidth = std::max(settingsWidth, width);
    y += height + gap;
  }
  const int settingsBottom = y - gap;

  // Bottom up: the status line, the buttons, then the frames share the rest.
  const SIZE client = input.client;
  layout.minimumClient = {margin + settingsWidth + 2 * (gap + u.across(kMinimumPaneWidth)) + margin,
                          settingsBottom + gap + buttonHeight + margin + input.statusLineHeight};
  const int width = std::max(client.cx, layout.minimumClient.cx);
  const int height = std::max(client.cy, layout.minimumClient.cy);
  layout.statusLine = Rect(0, height - input.statusLineHeight, width, input.statusLineHeight);
  const int buttonsTop = height - input.statusLineHeight - margin - buttonHeight;

  std::vector<std::size_t> buttons;
  for (std::size_t i = 0; i < controls.size(); ++i) {
    if (controls[i].kind == ControlKind::Button)
      buttons.push_back(i);
  }
  if (!buttons.empty()) {
    int count = static_cast<int>(buttons.size());
    int buttonWidth = (width - 2 * margin - (count - 1) * gap) / count;
    for (int b = 0; b < count; ++b) {
      layout.controls[buttons[static_cast<std::size_t>(b)]] =
          Rect(margin + b * (buttonWidth + gap), buttonsTop, buttonWidth, buttonHeight);
    }
  }

  const int contentBottom = std::max(settingsBottom, buttonsTop - gap);
  const int right = margin + settingsWidth + gap;
  const int sideWidth = (width - margin - right - gap) / 2;
  layout.preview = Rect(right + sideWidth + gap, margin, width - margin - (right + sideWidth + gap),
                        contentBottom - margin);

  // Output frames: the first two side by side, the others each a full row.
  int outputRows = 1 + std::max(0, static_cast<int>(outputFrames.size()) - 2);
  int rowHeight = (contentBottom - margin - (outputRows - 1) * gap) / outputRows;
  for (std::size_t f = 0; f < outputFrames.size(); ++f) {
    int row = f < 2 ? 0 : static_cast<int>(f) - 1;
    bool paired = f < 2 && outputFrames.size() > 1;
    int frameWidth = paired ? (sideWidth - gap) / 2 : sideWidth;
    int frameX = right + (f == 1 ? frameWidth + gap : 0);
    RECT frame = Rect(frameX, margin + row * (rowHeight + gap), frameWidth, rowHeight);
    layout.controls[frameIndex.at(outputFrames[f])] = frame;
    for (std::size_t i = 0; i < controls.size(); ++i) {
      if (controls[i].kind == ControlKind::OutputArea && controls[i].frame == outputFrames[f]) {
        layout.controls[i] = {frame.left + u.across(kFrameInset), frame.top + u.down(kFrameTop),
                              frame.right - u.across(kFrameInset),
                              frame.bottom - u.down(kFrameInset)};
      }
    }
  }
  return layout;
}

}  // namespace brackwyn::win32
