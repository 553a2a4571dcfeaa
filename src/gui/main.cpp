// The desktop program. Without options it shows the window and waits for the
// user. With --screenshot it also runs the pipeline at once, prints the
// messages instead of showing boxes, saves a picture of the finished window
// and quits: that is how the README picture is refreshed.
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>

#include <QApplication>
#include <QCommandLineParser>
#include <QPixmap>
#include <QTimer>

#include "core/units.hpp"
#include "gui/main_window.hpp"

namespace {

class PrintingPresenter : public brackwyn::gui::MessagePresenter {
 public:
  void present(QWidget*, brackwyn::gui::MessageKind kind, const QString& title,
               const QString& text) override {
    std::ostream& out = kind == brackwyn::gui::MessageKind::Information ? std::cout : std::cerr;
    out << title.toStdString() << ": " << text.toStdString() << "\n";
  }
};

struct Options {
  std::filesystem::path workingDirectory = ".";
  QString screenshot;
};

Options ParseOptions(const QApplication& app) {
  QCommandLineParser parser;
  parser.setApplicationDescription("Turns three height bitmaps into a landscape plugin.");
  parser.addHelpOption();
  parser.addVersionOption();
  QCommandLineOption directory(QStringList{"C", "directory"},
                               "Work in FOLDER: file names, Parameters.ini and work files.",
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
    options.workingDirectory = parser.value(directory).toStdString();
  options.screenshot = parser.value(screenshot);
  return options;
}

// Without a display the picture is still drawn, off screen.
void PreferOffscreenWithoutDisplay(int argc, char** argv) {
  bool wantsScreenshot = false;
  for (int i = 1; i < argc; ++i)
    wantsScreenshot |= std::string_view(argv[i]).starts_with("--screenshot");
  if (wantsScreenshot && std::getenv("DISPLAY") == nullptr &&
      std::getenv("WAYLAND_DISPLAY") == nullptr)
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
}

int RunForScreenshot(brackwyn::gui::MainWindow& window, const QString& file) {
  auto start = std::chrono::steady_clock::now();
  window.startRun();
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::cout << "Run took " << seconds << " s\n";
  if (QWidget* focused = QApplication::focusWidget())
    focused->clearFocus();  // no text cursor in the picture
  if (!window.grab().save(file, "PNG")) {
    std::cerr << "Cannot write the picture " << file.toStdString() << "\n";
    return 1;
  }
  return window.lastOutcome() == brackwyn::RunOutcome::Finished ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  PreferOffscreenWithoutDisplay(argc, argv);
  QApplication app(argc, argv);
  QApplication::setApplicationName(brackwyn::kProgramName);
  QApplication::setApplicationVersion(brackwyn::kVersionText);
  Options options = ParseOptions(app);
  if (!std::filesystem::is_directory(options.workingDirectory)) {
    std::cerr << "brackwyn: there is no folder " << options.workingDirectory.string() << "\n";
    return 2;
  }

  if (options.screenshot.isEmpty()) {
    brackwyn::gui::MainWindow window(options.workingDirectory);
    window.show();
    return QApplication::exec();
  }
  PrintingPresenter printer;
  brackwyn::gui::MainWindow window(options.workingDirectory, &printer);
  window.show();
  int status = 0;
  QTimer::singleShot(0, &window, [&] {
    status = RunForScreenshot(window, options.screenshot);
    window.close();
  });
  QApplication::exec();
  return status;
}
