#include "win32/output_area_view.hpp"

#include <cstring>

#include "win32/wide_text.hpp"

namespace brackwyn::win32 {

OutputAreaView::OutputAreaView(HWND edit) : edit_(edit) {
  ::SendMessageW(edit_, EM_SETLIMITTEXT, 0, 0);  // 0: as much as memory allows
}

void OutputAreaView::show(const std::string& text) {
  bool appended =
      text.size() > shown_.size() && std::memcmp(text.data(), shown_.data(), shown_.size()) == 0;
  if (appended) {
    append(std::string_view(text).substr(shown_.size()));
  } else if (text != shown_) {
    SetWindowUtf8(edit_, text);
  }
  shown_ = text;
}

void OutputAreaView::append(std::string_view tail) {
  // Follow the new lines only when the user has not scrolled up to read.
  SCROLLINFO bar{sizeof(bar), SIF_ALL, 0, 0, 0, 0, 0};
  bool atBottom =
      !::GetScrollInfo(edit_, SB_VERT, &bar) || bar.nPos + static_cast<int>(bar.nPage) > bar.nMax;
  LRESULT firstLine = ::SendMessageW(edit_, EM_GETFIRSTVISIBLELINE, 0, 0);
  DWORD selectionStart = 0, selectionEnd = 0;
  ::SendMessageW(edit_, EM_GETSEL, reinterpret_cast<WPARAM>(&selectionStart),
                 reinterpret_cast<LPARAM>(&selectionEnd));

  auto end = static_cast<WPARAM>(::GetWindowTextLengthW(edit_));
  ::SendMessageW(edit_, EM_SETSEL, end, static_cast<LPARAM>(end));
  std::wstring wide = WideFromUtf8(tail);
  ::SendMessageW(edit_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(wide.c_str()));

  if (!atBottom) {
    ::SendMessageW(edit_, EM_SETSEL, selectionStart, static_cast<LPARAM>(selectionEnd));
    LRESULT nowFirst = ::SendMessageW(edit_, EM_GETFIRSTVISIBLELINE, 0, 0);
    ::SendMessageW(edit_, EM_LINESCROLL, 0, firstLine - nowFirst);
  }
}

}  // namespace brackwyn::win32
