#include "gui/message_presenter.hpp"

#include <QMessageBox>

namespace brackwyn::gui {

std::unique_ptr<QMessageBox> MakeMessageBox(QWidget* parent, MessageKind kind, const QString& title,
                                            const QString& text) {
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  if (kind == MessageKind::Warning)
    icon = QMessageBox::Warning;
  else if (kind == MessageKind::Error)
    icon = QMessageBox::Critical;
  auto box = std::make_unique<QMessageBox>(icon, title, text, QMessageBox::Ok, parent);
  box->setWindowModality(Qt::ApplicationModal);
  return box;
}

void MessageBoxPresenter::present(QWidget* parent, MessageKind kind, const QString& title,
                                  const QString& text) {
  MakeMessageBox(parent, kind, title, text)->exec();
}

}  // namespace brackwyn::gui
