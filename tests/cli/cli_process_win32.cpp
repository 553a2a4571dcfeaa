// RunCli on Windows: CreateProcessW with the output redirected to files.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <fstream>
#include <iterator>
#include <stdexcept>

#include "cli_process.hpp"
#include "support/test_support.hpp"

namespace brackwyn::testing {
namespace {

// Text mode: the runner's output ends its lines with CR LF here, as Windows
// programs do; the tests compare lines.
std::string ReadText(const std::filesystem::path& path) {
  std::ifstream file(path);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// The quoting rules that CommandLineToArgvW and the C runtime undo.
std::wstring Quoted(const std::wstring& word) {
  std::wstring quoted = L"\"";
  std::size_t backslashes = 0;
  for (wchar_t c : word) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(2 * backslashes, L'\\');
  return quoted + L"\"";
}

HANDLE InheritableFile(const std::filesystem::path& path) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    throw std::runtime_error("cannot create " + path.string());
  return file;
}

}  // namespace

CliOutcome RunCli(const std::vector<std::string>& arguments,
                  const std::filesystem::path& workingDirectory) {
  std::filesystem::path program = std::filesystem::path(BRACKWYN_CLI_PATH).make_preferred();
  std::wstring commandLine = Quoted(program.wstring());
  for (const std::string& argument : arguments)
    commandLine +=
        L" " +
        Quoted(std::filesystem::path(std::u8string(argument.begin(), argument.end())).wstring());

  ScratchFolder output;
  HANDLE out = InheritableFile(output / "out");
  HANDLE err = InheritableFile(output / "err");
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = out;
  startup.hStdError = err;
  PROCESS_INFORMATION process{};
  BOOL started = ::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0,
                                  nullptr, workingDirectory.c_str(), &startup, &process);
  ::CloseHandle(out);
  ::CloseHandle(err);
  if (!started)
    throw std::runtime_error("cannot start " + program.string());

  ::WaitForSingleObject(process.hProcess, INFINITE);
  DWORD status = 0;
  ::GetExitCodeProcess(process.hProcess, &status);
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);

  CliOutcome outcome;
  outcome.status = static_cast<int>(status);
  outcome.out = ReadText(output / "out");
  outcome.err = ReadText(output / "err");
  return outcome;
}

}  // namespace brackwyn::testing
