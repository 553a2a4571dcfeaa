#include "gui/output_area_view.hpp"

#include <cstring>

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextCursor>

namespace brackwyn::gui {

QString DisplayText(std::string_view modelText) {
  std::string text;
  text.reserve(modelText.size());
  for (char c : modelText) {
    if (c != '\r')
      text.push_back(c);
  }
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

OutputAreaView::OutputAreaView(QPlainTextEdit* widget) : widget_(widget) {
  // The model keeps the text; an undo history of every append would only
  // cost memory in a read-only box.
  widget_->setUndoRedoEnabled(false);
}

void OutputAreaView::show(const std::string& text) {
  bool appended =
      text.size() > shown_.size() && std::memcmp(text.data(), shown_.data(), shown_.size()) == 0;
  if (appended) {
    std::string_view tail = std::string_view(text).substr(shown_.size());
    appendTail(tail);
    shown_.append(tail);
  } else if (text != shown_) {
    replaceAll(text);
    shown_ = text;
  }
}

void OutputAreaView::replaceAll(const std::string& text) {
  widget_->setPlainText(DisplayText(text));
}

void OutputAreaView::appendTail(std::string_view tail) {
  // Follow the new lines only when the user has not scrolled up to read.
  QScrollBar* bar = widget_->verticalScrollBar();
  bool atBottom = bar->value() == bar->maximum();
  QTextCursor end(widget_->document());
  end.movePosition(QTextCursor::End);
  end.insertText(DisplayText(tail));
  if (atBottom)
    bar->setValue(bar->maximum());
}

}  // namespace brackwyn::gui
