// What the window costs a run: the default run on a world folder, started
// with the window's start button, against the same run without a window
// (as the command-line runner does it), alternately, medians printed. Also
// the cost of one YieldToUI call when no events are due.
//
//   bench_window_run WORLD-FOLDER [ROUNDS] [objects]
//
// With "objects", both runs place the world's objects (chkCreateObjects on).
//
// Under QT_QPA_PLATFORM=offscreen the window draws into memory; under a real
// display (or Xvfb) it also pays for showing the picture.
#include <algorithm>
#include <chrono>
#include <iostream>
#include <string>
#include <vector>

#include <QApplication>

#include "bench_support.hpp"
#include "gui/main_window.hpp"
#include "pipeline/pipeline.hpp"
#include "pipeline/work_files.hpp"

namespace {

using brackwyn::bench::Clock;
using brackwyn::bench::SecondsSince;

class SilentPresenter : public brackwyn::gui::MessagePresenter {
 public:
  void present(QWidget*, brackwyn::MessageKind, const QString&, const QString&) override {}
};

bool gObjects = false;

double HeadlessRun(const std::filesystem::path& world) {
  brackwyn::WindowModel window;
  window.setState("chkCreateObjects", gObjects ? 1 : 0);
  brackwyn::ProgressReporter progress(window);
  auto state = std::make_unique<brackwyn::RunState>();
  state->workingDirectory = world;
  brackwyn::RunContext run{window, progress, *state};
  auto start = Clock::now();
  brackwyn::RunResult result = brackwyn::RunPipeline(run);
  double seconds = SecondsSince(start);
  brackwyn::DeleteWorkFiles(world);
  if (result.outcome != brackwyn::RunOutcome::Finished)
    throw std::runtime_error(result.message);
  return seconds;
}

double WindowRun(const std::filesystem::path& world) {
  SilentPresenter silent;
  brackwyn::gui::MainWindow window(world, &silent);
  window.model().setState("chkCreateObjects", gObjects ? 1 : 0);
  window.show();
  QApplication::processEvents();
  auto start = Clock::now();
  window.startRun();
  double seconds = SecondsSince(start);
  brackwyn::DeleteWorkFiles(world);
  if (window.lastOutcome() != brackwyn::RunOutcome::Finished)
    throw std::runtime_error("the run from the window did not finish");
  return seconds;
}

double YieldNanoseconds(const std::filesystem::path& world) {
  SilentPresenter silent;
  brackwyn::gui::MainWindow window(world, &silent);
  constexpr long long kCalls = 11'075'584;  // one per pixel of a bitmap
  long long ran = 0;
  auto start = Clock::now();
  for (long long i = 0; i < kCalls; ++i)
    ran += window.processEvents() ? 1 : 0;
  double seconds = SecondsSince(start);
  std::cout << "YieldToUI: " << kCalls << " calls in " << seconds << " s, events ran " << ran
            << " times\n";
  return seconds * 1e9 / kCalls;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 2) {
    std::cerr << "usage: bench_window_run WORLD-FOLDER [ROUNDS] [objects]\n";
    return 2;
  }
  std::filesystem::path world = argv[1];
  int rounds = argc > 2 ? std::stoi(argv[2]) : 7;
  gObjects = argc > 3 && std::string_view(argv[3]) == "objects";
  try {
    std::cout << "instruction sets " << brackwyn::bench::InstructionSetsCap() << "\n";
    HeadlessRun(world);  // warm the caches
    std::vector<double> headless, windowed;
    for (int i = 0; i < rounds; ++i) {
      headless.push_back(HeadlessRun(world));
      windowed.push_back(WindowRun(world));
    }
    double without = Median(headless), with = Median(windowed);
    std::cout << "Median of " << rounds << ": without window " << without << " s, from the window "
              << with << " s, window/without " << with / without << "\n";
    std::cout << "One YieldToUI with no events due: " << YieldNanoseconds(world) << " ns\n";
  } catch (const std::exception& error) {
    std::cerr << error.what() << "\n";
    return 1;
  }
  return 0;
}
