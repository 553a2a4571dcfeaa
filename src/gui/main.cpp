// The desktop program. Without options it shows the window and waits for the
// user. With --screenshot it also runs the pipeline at once, prints the
// messages instead of showing boxes, saves a picture of the finished window
// and quits: that is how the README picture is refreshed.
#include <chrono>
#include <filesystem>
#include <iostream>
#include <optional>

#include <QApplication>
#include <QBuffer>
#include <QCommandLineParser>
#include <QPixmap>
#include <QSettings>
#include <QSocketNotifier>
#ifdef Q_OS_WIN
#include <QWinEventNotifier>
#endif
#include <QTimer>

#include "core/platform.hpp"
#include "core/replacing_file.hpp"
#include "core/run_error.hpp"
#include "core/units.hpp"
#include "core/utf8_path.hpp"
#include "gui/folder_memory.hpp"
#include "gui/main_window.hpp"

namespace {

class PrintingPresenter : public brackwyn::gui::MessagePresenter {
 public:
  void present(QWidget*, brackwyn::MessageKind kind, const QString& title,
               const QString& text) override {
    std::ostream& out = kind == brackwyn::MessageKind::Information ? std::cout : std::cerr;
    out << title.toStdString() << ": " << text.toStdString() << "\n";
  }
};

struct Options {
  std::optional<std::filesystem::path> workingDirectory;  // given with -C
  QString screenshot;
};

Options ParseOptions(const QApplication& app) {
  QCommandLineParser parser;
  parser.setApplicationDescription("Turns three height bitmaps into a landscape plugin.");
  parser.addHelpOption();
  parser.addVersionOption();
  QCommandLineOption directory(QStringList{"C", "directory"},
                               "Work in FOLDER: file names, Parameters.ini and work files. "
                               "Without it, the window opens on the folder it last worked "
                               "in, else the home folder.",
                               "FOLDER");
  QCommandLineOption screenshot("screenshot",
                                "Run at once, save a picture of the finished window to FILE "
                                "(PNG) and quit.",
                                "FILE");
  parser.addOption(directory);
  parser.addOption(screenshot);
  parser.process(app);
  Options options;
  if (parser.isSet(directory))
    options.workingDirectory = std::filesystem::path(parser.value(directory).toStdU16String());
  options.screenshot = parser.value(screenshot);
  return options;
}

// Without a display the picture is still drawn, off screen. Windows always
// has a display; elsewhere X11 or Wayland may be missing.
void PreferOffscreenWithoutDisplay([[maybe_unused]] int argc, [[maybe_unused]] char** argv) {
#ifndef Q_OS_WIN
  bool wantsScreenshot = false;
  for (int i = 1; i < argc; ++i)
    wantsScreenshot |= std::string_view(argv[i]).starts_with("--screenshot");
  if (wantsScreenshot && !qEnvironmentVariableIsSet("DISPLAY") &&
      !qEnvironmentVariableIsSet("WAYLAND_DISPLAY") &&
      !qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
}

constexpr char kScreenshotRole[] = "picture of the window (--screenshot)";

// Written as every output is: beside its name and renamed over it, never
// through a link and never over a device.
bool SaveScreenshot(const brackwyn::gui::MainWindow& window, const QPixmap& picture,
                    const std::filesystem::path& path) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!picture.save(&buffer, "PNG")) {
    std::cerr << "Cannot draw the " << kScreenshotRole << "\n";
    return false;
  }
  try {
    window.checkOutputsAfterRun();
    brackwyn::ReplacingFile file(path, kScreenshotRole, brackwyn::ReplacingFile::Sync::Never);
    file.append(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    file.commit();
  } catch (const brackwyn::RunError& error) {
    std::cerr << error.what() << "\n";
    return false;
  }
  return true;
}

int RunForScreenshot(brackwyn::gui::MainWindow& window, const QString& file) {
  const std::filesystem::path path =
      std::filesystem::absolute(brackwyn::PathFromUtf8(file.toStdString()));
  window.addOutputAfterRun(kScreenshotRole, path);
  auto start = std::chrono::steady_clock::now();
  window.startRun();
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::cout << "Run took " << seconds << " s\n";
  if (QWidget* focused = QApplication::focusWidget())
    focused->clearFocus();  // no text cursor in the picture
  if (!SaveScreenshot(window, window.grab(), path))
    return 1;
  return window.lastOutcome() == brackwyn::RunOutcome::Finished ? 0 : 1;
}

// SIGTERM, SIGINT or SIGHUP (a desktop logout) close the window as the user
// would: a run is abandoned and the work files are deleted.
template <class Notifier>
void CloseOnStopSignal(brackwyn::gui::MainWindow& window, Notifier& notifier) {
  QObject::connect(&notifier, &Notifier::activated, &window, [&window, &notifier] {
    notifier.setEnabled(false);
    window.close();
  });
}

// 128 + the signal that ended the window, as a shell reports it.
int ExitStatus(int status) {
  int signal = brackwyn::platform::StopSignal();
  return signal != 0 ? 128 + signal : status;
}

}  // namespace

int main(int argc, char** argv) {
  brackwyn::platform::InstallStopHandlers();
  PreferOffscreenWithoutDisplay(argc, argv);
  QApplication app(argc, argv);
#ifdef Q_OS_WIN
  // There the stop notifier is an event that becomes signalled, not a pipe.
  QWinEventNotifier stopNotifier(reinterpret_cast<Qt::HANDLE>(brackwyn::platform::StopNotifier()));
#else
  QSocketNotifier stopNotifier(static_cast<qintptr>(brackwyn::platform::StopNotifier()),
                               QSocketNotifier::Read);
#endif
  QApplication::setApplicationName(brackwyn::kProgramName);
  QApplication::setApplicationVersion(brackwyn::kVersionText);
  Options options = ParseOptions(app);
  if (options.workingDirectory && !std::filesystem::is_directory(*options.workingDirectory)) {
    std::cerr << "brackwyn: there is no folder "
              << brackwyn::Utf8FromPath(*options.workingDirectory) << "\n";
    return 2;
  }

  if (options.screenshot.isEmpty()) {
    QSettings settings(brackwyn::kProgramName, brackwyn::kProgramName);
    brackwyn::gui::MainWindow window(
        brackwyn::gui::StartFolder(options.workingDirectory, settings));
    window.rememberFoldersIn(settings);
    CloseOnStopSignal(window, stopNotifier);
    window.show();
    return ExitStatus(QApplication::exec());
  }
  PrintingPresenter printer;
  // A picture for the README neither reads nor changes the folder memory.
  brackwyn::gui::MainWindow window(options.workingDirectory.value_or("."), &printer);
  CloseOnStopSignal(window, stopNotifier);
  window.show();
  int status = 0;
  QTimer::singleShot(0, &window, [&] {
    status = RunForScreenshot(window, options.screenshot);
    window.close();
  });
  QApplication::exec();
  return ExitStatus(status);
}
