// Mirrors one output area of the model (txtLog, txtObjectsCount, txtTimes) in
// a read-only text widget. Stages mostly append, thousands of lines per run,
// so an append only adds the new tail to the widget instead of setting the
// whole text again; a replaced text is shown whole.
#pragma once

#include <string>
#include <string_view>

#include <QString>

class QPlainTextEdit;

namespace brackwyn::gui {

class OutputAreaView {
 public:
  explicit OutputAreaView(QPlainTextEdit* widget);

  void show(const std::string& text);

  QPlainTextEdit* widget() const { return widget_; }

 private:
  void replaceAll(const std::string& text);
  void appendTail(std::string_view tail);

  QPlainTextEdit* widget_;
  std::string shown_;  // the model text the widget shows, line ends as the model has them
};

// The model ends lines with CR LF; the widget wants plain line feeds.
QString DisplayText(std::string_view modelText);

}  // namespace brackwyn::gui
