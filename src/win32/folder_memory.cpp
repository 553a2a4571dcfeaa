#include "win32/folder_memory.hpp"

#include <string>

#include <windows.h>

#include "pipeline/working_folder.hpp"

namespace brackwyn::win32 {
namespace {

constexpr wchar_t kKey[] = L"Software\\Brackwyn";
constexpr wchar_t kValue[] = L"WorkingFolder";

}  // namespace

std::filesystem::path RememberedFolder() {
  DWORD bytes = 0;
  if (::RegGetValueW(HKEY_CURRENT_USER, kKey, kValue, RRF_RT_REG_SZ, nullptr, nullptr, &bytes) !=
          ERROR_SUCCESS ||
      bytes < sizeof(wchar_t))
    return {};
  std::wstring text(bytes / sizeof(wchar_t), L'\0');
  if (::RegGetValueW(HKEY_CURRENT_USER, kKey, kValue, RRF_RT_REG_SZ, nullptr, text.data(),
                     &bytes) != ERROR_SUCCESS)
    return {};
  text.resize(bytes / sizeof(wchar_t));
  while (!text.empty() && text.back() == L'\0')
    text.pop_back();
  return std::filesystem::path(text);
}

void RememberFolder(const std::filesystem::path& folder) {
  std::wstring text = AbsoluteFolder(folder).wstring();
  ::RegSetKeyValueW(HKEY_CURRENT_USER, kKey, kValue, REG_SZ, text.c_str(),
                    static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

std::filesystem::path ProfileFolder() {
  DWORD length = ::GetEnvironmentVariableW(L"USERPROFILE", nullptr, 0);
  if (length == 0)
    return ".";
  std::wstring text(length, L'\0');
  length = ::GetEnvironmentVariableW(L"USERPROFILE", text.data(), length);
  text.resize(length);
  return text.empty() ? std::filesystem::path(".") : std::filesystem::path(text);
}

}  // namespace brackwyn::win32
