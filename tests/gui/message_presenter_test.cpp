#include "gui/message_presenter.hpp"

#include <gtest/gtest.h>

#include <QMessageBox>

namespace brackwyn::gui {
namespace {

struct BoxCase {
  const char* name;
  MessageKind kind;
  QMessageBox::Icon icon;
};

class MessageBoxTest : public ::testing::TestWithParam<BoxCase> {};

TEST_P(MessageBoxTest, IsModalWithOnlyAnOkButton) {
  auto box = MakeMessageBox(nullptr, GetParam().kind, "Brackwyn", "Finished!");
  EXPECT_EQ(box->windowTitle(), "Brackwyn");
  EXPECT_EQ(box->text(), "Finished!");
  EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
  EXPECT_EQ(box->icon(), GetParam().icon);
  EXPECT_EQ(box->windowModality(), Qt::ApplicationModal);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, MessageBoxTest,
    ::testing::Values(BoxCase{"Information", MessageKind::Information, QMessageBox::NoIcon},
                      BoxCase{"Warning", MessageKind::Warning, QMessageBox::Warning},
                      BoxCase{"Error", MessageKind::Error, QMessageBox::Critical}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace brackwyn::gui
