// How the window shows its modal messages. The desktop program uses real
// message boxes; tests and the screenshot mode put in presenters that do not
// wait for a click.
#pragma once

#include <memory>

#include <QString>

#include "pipeline/window_session.hpp"

class QMessageBox;
class QWidget;

namespace brackwyn::gui {

class MessagePresenter {
 public:
  virtual ~MessagePresenter() = default;
  virtual void present(QWidget* parent, MessageKind kind, const QString& title,
                       const QString& text) = 0;
};

// A modal box with an OK button only.
std::unique_ptr<QMessageBox> MakeMessageBox(QWidget* parent, MessageKind kind, const QString& title,
                                            const QString& text);

class MessageBoxPresenter : public MessagePresenter {
 public:
  void present(QWidget* parent, MessageKind kind, const QString& title,
               const QString& text) override;
};

}  // namespace brackwyn::gui
