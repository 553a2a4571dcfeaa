// brackwyn.exe, the window on Windows. "brackwyn.exe FOLDER" (a folder
// dropped onto the program, or a shortcut's argument) or "-C FOLDER" works
// there, otherwise in the folder it last worked in, else the profile folder.
// With --screenshot it also runs the pipeline at once, prints the messages
// instead of showing boxes, saves a picture of the finished window and quits.
#include <chrono>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "core/units.hpp"
#include "pipeline/working_folder.hpp"
#include "preview/png_file.hpp"
#include "win32/folder_memory.hpp"
#include "win32/main_window.hpp"
#include "win32/wide_text.hpp"
#include "win32/window_picture.hpp"

#include <objbase.h>
#include <shellapi.h>

namespace {

using brackwyn::win32::Utf8FromWide;

constexpr char kUsage[] =
    "Usage: brackwyn.exe [FOLDER] [-C FOLDER] [--screenshot FILE.png] [--version]\n"
    "Turns three height bitmaps into a landscape plugin.\n\n"
    "  FOLDER, -C FOLDER      work in FOLDER: file names, Parameters.ini and work files;\n"
    "                         without it, the folder last worked in, else the profile folder\n"
    "  --screenshot FILE.png  run at once, save a picture of the finished window and quit\n"
    "  --version              show the version\n";

// A program without a console prints into the console it was started from,
// if any; started from Explorer, it shows a box instead.
void Tell(std::string_view text, bool problem) {
  HANDLE out = ::GetStdHandle(problem ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
  if ((out == nullptr || out == INVALID_HANDLE_VALUE) && ::AttachConsole(ATTACH_PARENT_PROCESS)) {
    out = ::CreateFileW(L"CONOUT$", GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                        nullptr);
  }
  DWORD written = 0;
  if (out == nullptr || out == INVALID_HANDLE_VALUE ||
      !::WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr)) {
    ::MessageBoxW(nullptr, brackwyn::win32::WideFromUtf8(text).c_str(), L"Brackwyn",
                  MB_OK | (problem ? MB_ICONERROR : 0));
  }
}

class PrintingPresenter : public brackwyn::win32::MessagePresenter {
 public:
  void present(HWND, brackwyn::MessageKind kind, std::string_view title,
               std::string_view text) override {
    Tell(std::string(title) + ": " + std::string(text) + "\n",
         kind != brackwyn::MessageKind::Information);
  }
};

struct Options {
  std::optional<std::filesystem::path> workingDirectory;
  std::optional<std::filesystem::path> screenshot;
  bool version = false;
  bool help = false;
};

// nullopt and a message for a command line it cannot use.
std::optional<Options> ParseOptions(std::string& problem) {
  int count = 0;
  wchar_t** words = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  std::vector<std::wstring> arguments(words + (words != nullptr ? 1 : 0), words + count);
  ::LocalFree(words);
  Options options;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::wstring& word = arguments[i];
    bool takesValue = word == L"-C" || word == L"--directory" || word == L"--screenshot";
    if (takesValue && i + 1 == arguments.size()) {
      problem = Utf8FromWide(word) + " needs a value";
      return std::nullopt;
    }
    if (word == L"--screenshot") {
      options.screenshot = std::filesystem::path(arguments[++i]);
    } else if (word == L"--version") {
      options.version = true;
    } else if (word == L"--help" || word == L"-h" || word == L"/?") {
      options.help = true;
    } else if (takesValue || (!word.starts_with(L"-") && !options.workingDirectory)) {
      options.workingDirectory = std::filesystem::path(takesValue ? arguments[++i] : word);
    } else {
      problem = "unknown argument " + Utf8FromWide(word);
      return std::nullopt;
    }
  }
  return options;
}

void PumpPendingMessages() {
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
}

constexpr char kScreenshotRole[] = "picture of the window (--screenshot)";

int RunForScreenshot(brackwyn::win32::MainWindow& window, const std::filesystem::path& file) {
  const std::filesystem::path path = std::filesystem::absolute(file);
  window.addOutputAfterRun(kScreenshotRole, path);
  auto start = std::chrono::steady_clock::now();
  window.startRun();
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::ostringstream took;
  took << "Run took " << seconds << " s\n";
  Tell(took.str(), false);
  ::SetFocus(nullptr);  // no caret in the picture
  ::RedrawWindow(window.handle(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  PumpPendingMessages();
  try {
    window.checkOutputsAfterRun();
    brackwyn::WritePngFile(brackwyn::win32::CaptureClientArea(window.handle()), path,
                           kScreenshotRole);
  } catch (const std::exception& error) {
    Tell(std::string("Cannot write the picture: ") + error.what() + "\n", true);
    return 1;
  }
  return window.lastOutcome() == brackwyn::RunOutcome::Finished ? 0 : 1;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show) {
  std::string problem;
  std::optional<Options> options = ParseOptions(problem);
  if (!options) {
    Tell("brackwyn: " + problem + "\n\n" + kUsage, true);
    return 2;
  }
  if (options->help || options->version) {
    Tell(options->help ? std::string(kUsage)
                       : std::string(brackwyn::kProgramName) + " " + brackwyn::kVersionText + "\n",
         false);
    return 0;
  }
  if (options->workingDirectory && !std::filesystem::is_directory(*options->workingDirectory)) {
    Tell(
        "brackwyn: there is no folder " + Utf8FromWide(options->workingDirectory->wstring()) + "\n",
        true);
    return 2;
  }
  // The folder dialog is a COM object.
  ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  try {
    if (!options->screenshot) {
      brackwyn::win32::MainWindow window(brackwyn::ChooseStartFolder(
          options->workingDirectory, brackwyn::win32::RememberedFolder(),
          brackwyn::win32::ProfileFolder()));
      window.rememberFolders();
      window.quitWhenClosed();
      window.show(show);
      return brackwyn::win32::RunMessageLoop(window);
    }
    PrintingPresenter printer;
    // A picture for the manual neither reads nor changes the folder memory.
    brackwyn::win32::MainWindow window(options->workingDirectory.value_or("."), &printer);
    window.show(SW_SHOWNORMAL);
    PumpPendingMessages();
    int status = RunForScreenshot(window, *options->screenshot);
    window.close();
    return status;
  } catch (const std::exception& error) {
    Tell(std::string("brackwyn: ") + error.what() + "\n", true);
    return 1;
  }
}
