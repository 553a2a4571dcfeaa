// The one place where the model's UTF-8 becomes the UTF-16 that Windows'
// W functions take, and back. Bytes that are not UTF-8 become U+FFFD, as the
// Qt window shows them.
#pragma once

#include <string>
#include <string_view>

#include <windows.h>

namespace brackwyn::win32 {

std::wstring WideFromUtf8(std::string_view utf8);
std::string Utf8FromWide(std::wstring_view wide);

// A control's or window's whole text, however long.
std::wstring WindowText(HWND window);
void SetWindowUtf8(HWND window, std::string_view utf8);

}  // namespace brackwyn::win32
