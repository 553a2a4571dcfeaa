// How the window shows its modal messages. The program uses MessageBoxW;
// tests and the screenshot mode put in presenters that do not wait for a
// click.
#pragma once

#include <string_view>

#include <windows.h>

namespace brackwyn::win32 {

enum class MessageKind {
  Information,  // the completion message: no icon
  Warning,      // settings a parameter file could not set
  Error         // a failed run, or a parameter file that could not be read or written
};

class MessagePresenter {
 public:
  virtual ~MessagePresenter() = default;
  virtual void present(HWND owner, MessageKind kind, std::string_view title,
                       std::string_view text) = 0;
};

// A modal box with an OK button only.
class MessageBoxPresenter : public MessagePresenter {
 public:
  void present(HWND owner, MessageKind kind, std::string_view title,
               std::string_view text) override;
};

}  // namespace brackwyn::win32
