#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>
// after windows.h, which it needs
#include <shellapi.h>

#include "cli/console_platform.hpp"

namespace brackwyn::cli {
namespace {

std::string Utf8FromWide(const wchar_t* text) {
  int size = ::WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1)
    return {};
  std::string utf8(static_cast<std::size_t>(size), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8.data(), size, nullptr, nullptr);
  utf8.pop_back();  // the terminating zero
  return utf8;
}

}  // namespace

bool StandardOutputIsTerminal() {
  DWORD mode = 0;
  return ::GetConsoleMode(::GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0;
}

std::size_t TerminalColumns() {
  CONSOLE_SCREEN_BUFFER_INFO info{};
  if (::GetConsoleScreenBufferInfo(::GetStdHandle(STD_OUTPUT_HANDLE), &info)) {
    int columns = info.srWindow.Right - info.srWindow.Left + 1;
    if (columns > 0)
      return static_cast<std::size_t>(columns);
  }
  return 80;
}

// argv holds the command line in the ANSI code page, which loses every letter
// outside it: read the UTF-16 original instead.
std::vector<std::string> Utf8CommandLine(int argc, char** argv) {
  ::SetConsoleOutputCP(CP_UTF8);
  int count = 0;
  wchar_t** words = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (words == nullptr)
    return {argv, argv + argc};
  std::vector<std::string> utf8;
  for (int i = 0; i < count; ++i)
    utf8.push_back(Utf8FromWide(words[i]));
  ::LocalFree(words);
  return utf8;
}

}  // namespace brackwyn::cli
