// Helpers of the window tests: a message presenter that records instead of
// waiting for a click, lookups of the window's widgets, and the example world.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <QString>

#include "gui/main_window.hpp"
#include "gui/message_presenter.hpp"

namespace brackwyn::gui::testing {

struct PresentedMessage {
  MessageKind kind;
  std::string title;
  std::string text;
};

class RecordingPresenter : public MessagePresenter {
 public:
  void present(QWidget*, MessageKind kind, const QString& title, const QString& text) override {
    messages.push_back({kind, title.toStdString(), text.toStdString()});
  }
  std::vector<PresentedMessage> messages;
};

// A window working in `folder`, its messages recorded, shown off screen.
struct TestWindow {
  explicit TestWindow(const std::filesystem::path& folder);

  RecordingPresenter presenter;
  MainWindow window;

  template <typename Widget>
  Widget* find(const char* name) {
    return window.findChild<Widget*>(QString::fromLatin1(name));
  }
  void click(const char* buttonName);
};

// The example island (height bitmaps, object and texture indexes and their
// bitmaps), made once.
const std::filesystem::path& ExampleWorld();

// Links the example's bitmaps and indexes into `folder`, so a run there uses
// the defaults.
void LinkExampleWorld(const std::filesystem::path& folder);

}  // namespace brackwyn::gui::testing
