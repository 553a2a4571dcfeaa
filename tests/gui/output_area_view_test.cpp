#include "gui/output_area_view.hpp"

#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QScrollBar>

namespace brackwyn::gui {
namespace {

TEST(OutputAreaView, ShowsModelLinesWithoutCarriageReturns) {
  QPlainTextEdit widget;
  OutputAreaView view(&widget);
  view.show("x: 1 y: 2\r\nx: 3 y: 4\r");
  view.show("x: 1 y: 2\r\nx: 3 y: 4\r\nx: 5");  // a line end split across two appends
  view.show("x: 1 y: 2\r\nx: 3 y: 4\r\nx: 5 y: 6\r\n");
  EXPECT_EQ(widget.toPlainText(), "x: 1 y: 2\nx: 3 y: 4\nx: 5 y: 6\n");
}

TEST(OutputAreaView, AppendsManyLinesPieceByPieceAndFollowsTheEnd) {
  QPlainTextEdit widget;
  widget.resize(200, 100);
  OutputAreaView view(&widget);
  std::string model;
  QString expected;
  for (int i = 0; i < 20000; ++i) {
    std::string line = "x: " + std::to_string(i) + " y: " + std::to_string(-i);
    model += line + "\r\n";
    view.show(model);
    expected += QString::fromStdString(line) + "\n";
  }
  EXPECT_EQ(widget.toPlainText(), expected);
  EXPECT_EQ(widget.blockCount(), 20001);
  EXPECT_EQ(widget.verticalScrollBar()->value(), widget.verticalScrollBar()->maximum());
}

TEST(OutputAreaView, AReplacedTextIsShownWhole) {
  QPlainTextEdit widget;
  OutputAreaView view(&widget);
  view.show("Object ID - Total\r\n1 - 5\r\n");
  view.show("Object ID - Total\r\n1 - 12\r\n");  // same length, other text
  EXPECT_EQ(widget.toPlainText(), "Object ID - Total\n1 - 12\n");
  view.show("");
  EXPECT_EQ(widget.toPlainText(), "");
  view.show("Object ID - Total\r\n1 - 1,234\r\n");
  EXPECT_EQ(widget.toPlainText(), "Object ID - Total\n1 - 1,234\n");
}

}  // namespace
}  // namespace brackwyn::gui
