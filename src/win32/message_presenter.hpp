// How the window shows its modal messages. The program uses MessageBoxW;
// tests and the screenshot mode put in presenters that do not wait for a
// click.
#pragma once

#include <string_view>

#include <windows.h>

#include "pipeline/window_session.hpp"

namespace brackwyn::win32 {

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
