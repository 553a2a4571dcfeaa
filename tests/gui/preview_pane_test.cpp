// The preview pane after a real run on the example world.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QScrollArea>
#include <QToolButton>

#include "gui/preview_pane.hpp"
#include "gui_test_support.hpp"
#include "support/test_support.hpp"

namespace brackwyn::gui {
namespace {

using brackwyn::testing::ScratchFolder;
using testing::LinkExampleWorld;
using testing::TestWindow;

TEST(PreviewPane, ShowsTheRunAndTheCellAndHeightUnderThePointer) {
  ScratchFolder folder;
  LinkExampleWorld(folder.path());
  TestWindow test(folder.path());
  PreviewPane& pane = test.window.previewPane();
  EXPECT_TRUE(pane.image().isNull());
  test.click("cmdBegin");
  ASSERT_EQ(test.window.lastOutcome(), RunOutcome::Finished);

  ASSERT_EQ(pane.image().size(), QSize(1664, 1664));
  EXPECT_EQ(pane.image().pixelColor(3, 1660), QColor(24, 90, 145));  // deep sea

  // Pixel (832, 831) is vertex (1664, 1664), in cell (0, 0).
  test.find<QToolButton>("cmdPreviewZoomIn")->click();
  ASSERT_EQ(pane.zoom(), 0.5);
  QPointF at(832 * 0.5 + 0.25, 831 * 0.5 + 0.25);
  QMouseEvent move(QEvent::MouseMove, at, pane.canvas()->mapToGlobal(at), Qt::NoButton,
                   Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(pane.canvas(), &move);
  EXPECT_TRUE(pane.status()->text().startsWith("Cell (0, 0)  vertex (1664, 1664)  height "))
      << pane.status()->text().toStdString();
  EXPECT_EQ(pane.canvas()->width(), 832);
}

}  // namespace
}  // namespace brackwyn::gui
