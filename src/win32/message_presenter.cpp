#include "win32/message_presenter.hpp"

#include "win32/wide_text.hpp"

namespace brackwyn::win32 {

void MessageBoxPresenter::present(HWND owner, MessageKind kind, std::string_view title,
                                  std::string_view text) {
  UINT icon = 0;
  if (kind == MessageKind::Warning)
    icon = MB_ICONWARNING;
  else if (kind == MessageKind::Error)
    icon = MB_ICONERROR;
  ::MessageBoxW(owner, WideFromUtf8(text).c_str(), WideFromUtf8(title).c_str(), MB_OK | icon);
}

}  // namespace brackwyn::win32
