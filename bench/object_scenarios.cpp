// Whole runs, each in its own child process so that its peak memory is its
// own, with the thread count and the instruction sets first:
//   (d) the default run (objects off) against the floor, alternately, each in
//       a process of its own, straight after the one before and after a
//       pause, then all in this one process;
//   (a) the example world with its kinds over the full default box;
//   (b) a dense case: 12 kinds, density 255 everywhere, divisor 64, base and
//       top squares of 9 sub-cells, so that no sub-cell can be skipped.
// (a) and (b) run five times, each round after a sync, so that the disk is
// not still writing the previous round's output. Each round prints the
// whole-run time, the CreateObjects and CreateESP times, the waits between
// the placing threads (core/wait_timers.hpp), the peak resident
// memory and the cores' round trip measured just before it (on a virtual
// machine the host moves its processors, and the placing threads, which share
// rows and random bytes, slow down as they move apart); the first also the
// objects placed, the plugin size and the disk space the work files really
// take. Then the median, against a floor: the run's draws alone, split over
// the threads, plus writing and reading as many bytes as the run did, in a
// process of its own after each round.
//
// Targets on a two-core machine: (d) within 1.5x of the floor, (a) under 1 s,
// (b) under 5 s. BRACKWYN_THREADS=1 measures one thread.
//
//   bench_object_scenarios [WORLD-FOLDER] [d] [a] [b]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

#include "bench_support.hpp"
#include "core/bitmap_header.hpp"
#include "core/random_stream.hpp"
#include "core/thread_count.hpp"
#include "core/wait_timers.hpp"
#include "elevation/process_elevation.hpp"
#include "gray_bitmap_writer.hpp"
#include "land/cell_colors.hpp"
#include "land/cell_heights.hpp"
#include "model/control_names.hpp"
#include "model/setting_number.hpp"
#include "objects/object_counts_text.hpp"
#include "objects/object_density.hpp"
#include "objects/placement_draws.hpp"
#include "pipeline/pipeline.hpp"
#include "pipeline/work_files.hpp"

namespace {

using namespace brackwyn;
constexpr char kDenseIndex[] = "bench_dense_objects.csv";
constexpr char kDenseBitmap[] = "bench_dense.bmp";
constexpr char kDensePlugin[] = "bench_dense.esp";

std::string Mebibytes(long long bytes) {
  char text[32];
  std::snprintf(text, sizeof text, "%.0f MiB", static_cast<double>(bytes) / (1 << 20));
  return text;
}

double StageSeconds(const ProgressReporter& progress, std::string_view name) {
  for (const StageTiming& timing : progress.timings())
    if (timing.stageName == name)
      return timing.seconds;
  return 0;
}

// The waits between the threads of the run just finished, in seconds: where
// the placing threads hand each other rows, random bytes and bands.
void PrintWaits() {
  std::printf("; waits:");
  for (int place = 1; place < static_cast<int>(WaitPlace::kCount); ++place) {
    std::printf("%s %s %.2f", place == 1 ? "" : ",", WaitPlaceName(static_cast<WaitPlace>(place)),
                WaitSeconds(static_cast<WaitPlace>(place)));
  }
  std::printf(" s");
}

struct Scenario {
  const char* title;
  const char* target;
  std::function<void(WindowModel&)> configure;
};

constexpr int kScenarioRounds = 5;

// What one round measured, in seconds and bytes.
enum ScenarioFigure { kWholeRun, kBytesWritten, kBytesRead, kFigureCount };

// The draws of the run just finished alone, every row of its box drawn on
// one thread as the drawing thread draws them, without overlap tests or files.
double DrawSeconds(RunContext& run) {
  ObjectDensity density;
  LoadObjectDensities(run, density);
  RandomStream stream;
  stream.seed(run.state.parameters.objectSeed);
  auto setting = [&](std::string_view name) {
    return static_cast<int>(SettingNumber(run.window, name));
  };
  const DrawSettings settings{SettingNumber(run.window, control::txtObjectDivisor),
                              setting(control::txtConfineObjectsX1),
                              setting(control::txtConfineObjectsX2)};
  PlacementDraws draws(density, stream.key());
  RowAttempts row;
  std::uint64_t counter = stream.position();
  const auto start = bench::Clock::now();
  for (int y = setting(control::txtConfineObjectsY1); y <= setting(control::txtConfineObjectsY2);
       ++y) {
    draws.draw(y, settings.x1, settings, counter, row);
    counter = row.counterAfter.back();
  }
  return bench::SecondsSince(start);
}

void ConfigureScenario(WindowModel& window, const Scenario& scenario) {
  window.setState("chkCreateObjects", 1);
  scenario.configure(window);
}

// The draws of a run of the scenario, in a process of its own after the
// rounds, so that the densities it loads again count in no round's memory.
double MeasureDrawSeconds(const std::filesystem::path& world, const Scenario& scenario) {
  return bench::MeasureInChild([&] {
           double seconds = 0;
           bench::RunOnce(
               world, [&](WindowModel& window) { ConfigureScenario(window, scenario); },
               [&](RunContext& run) { seconds = DrawSeconds(run); });
           return seconds;
         })
      .result;
}

// One run in `world`; prints its figures, removes the work files and returns
// the ScenarioFigures.
std::vector<double> RunScenario(const std::filesystem::path& world, const Scenario& scenario,
                                bool details) {
  bench::ProcessBytes before;
  std::vector<double> figures(kFigureCount, 0);
  auto configure = [&](WindowModel& window) {
    ConfigureScenario(window, scenario);
    SetWaitTimers(true);
    before = bench::BytesReadAndWritten();
  };
  auto report = [&](RunContext& run) {
    const bench::ProcessBytes after = bench::BytesReadAndWritten();
    figures[kBytesWritten] = static_cast<double>(after.written - before.written);
    figures[kBytesRead] = static_cast<double>(after.read - before.read);
    std::printf("  CreateObjects %.2f s, CreateESP %.2f s",
                StageSeconds(run.progress, "CreateObjects"),
                StageSeconds(run.progress, "CreateESP"));
    PrintWaits();
    if (!details)
      return;
    long long placed = 0;
    for (std::int32_t count : run.state.objectCounts)
      placed += count;
    long long workDisk = 0;
    for (std::string_view name : kWorkFileNames)
      workDisk += bench::DiskBytes(world / name);
    auto plugin = run.state.resolve(run.state.parameters.pluginFileName);
    std::printf(
        "\n  objects placed %s, plugin %s bytes, work files on disk %s\n",
        FormatGroupedCount(placed).c_str(),
        FormatGroupedCount(static_cast<long long>(std::filesystem::file_size(plugin))).c_str(),
        Mebibytes(workDisk).c_str());
  };
  bench::MeasuredRun measured = bench::RunOnce(world, configure, report);
  std::printf("%swhole run %.2f s", details ? "  " : ", ", measured.wallSeconds);
  std::fflush(stdout);
  figures[kWholeRun] = measured.wallSeconds;
  return figures;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// The stages a default run spends its time in, as the window lists them.
constexpr const char* kDefaultRunStages[] = {"LoadElevation", "ProcessElevation", "CreateVHGT",
                                             "CreateVCLR", "CreateESP"};

// Whole run first, then the stages of kDefaultRunStages.
std::vector<double> DefaultRunFigures(const std::filesystem::path& world) {
  bench::MeasuredRun run = bench::RunOnce(world);
  std::vector<double> figures{run.wallSeconds};
  for (const char* name : kDefaultRunStages) {
    auto stage = std::find_if(run.stages.begin(), run.stages.end(),
                              [&](const StageTiming& timing) { return timing.stageName == name; });
    figures.push_back(stage == run.stages.end() ? 0 : stage->seconds);
  }
  return figures;
}

// Where each run and floor is measured.
enum class Setting {
  kOwnProcesses,
  kOwnProcessesAfterPause,
  kOneProcess,
};

// Long enough for a virtual machine's balloon device to have handed the
// memory the last process freed back to the host, as it has by the time a
// modder starts a run.
constexpr std::chrono::seconds kSettlePause{3};

const char* Describe(Setting setting) {
  switch (setting) {
    case Setting::kOwnProcesses:
      return "each run and floor in a process of its own";
    case Setting::kOwnProcessesAfterPause:
      return "each run and floor in a process of its own, after a 3 s pause";
    case Setting::kOneProcess:
      return "all in this one process";
  }
  return "";
}

// Run and floor alternately, so that both see the same load on the machine.
// A modder's run is the first of its process, from the command line or the
// window, so each run and each floor gets a process of its own; straight
// after the one before, it finds memory that process has just freed, and
// after a pause, memory the system has handed back. Measured in one process
// instead, the floor reads into a heap that the run before it has faulted in
// already, and the run into one left by the floor. All three are shown.
void CompareDefaultRunWithFloor(const std::filesystem::path& world, Setting setting) {
  constexpr int kRounds = 7;
  const bool ownProcesses = setting != Setting::kOneProcess;
  auto measure = [&](const std::function<std::vector<double>()>& work) {
    if (setting == Setting::kOwnProcessesAfterPause)
      std::this_thread::sleep_for(kSettlePause);
    if (ownProcesses)
      return bench::MeasureAllInChild(work);
    return bench::ChildMeasurements{work(), 0};
  };
  measure([&] { return DefaultRunFigures(world); });  // warms the caches
  const auto pluginBytes =
      static_cast<std::size_t>(std::filesystem::file_size(world / "Brackwyn.esp"));
  std::vector<double> floors, runs;
  std::vector<std::vector<double>> stages(std::size(kDefaultRunStages));
  long long peak = 0;
  for (int round = 0; round < kRounds; ++round) {
    floors.push_back(measure([&] {
                       return std::vector<double>{bench::MeasureFloor(world, pluginBytes)};
                     }).results.at(0));
    bench::ChildMeasurements run = measure([&] { return DefaultRunFigures(world); });
    runs.push_back(run.results.at(0));
    for (std::size_t stage = 0; stage < stages.size(); ++stage)
      stages[stage].push_back(run.results.at(stage + 1));
    peak = std::max(peak, run.peakBytes);
  }
  bench::RemoveFloorFile(world);
  double floor = Median(floors), run = Median(runs);
  std::printf("(d) default run, objects off, medians of %d, %s\n", kRounds, Describe(setting));
  std::printf("  whole run %.3f s, floor %.3f s: %.2fx the floor (target 1.5x)\n", run, floor,
              run / floor);
  for (std::size_t stage = 0; stage < stages.size(); ++stage)
    std::printf("  %s %.0f ms\n", kDefaultRunStages[stage], 1000 * Median(stages[stage]));
  if (ownProcesses)
    std::printf("  peak resident memory %s\n", Mebibytes(peak).c_str());
  std::printf("\n");
  std::fflush(stdout);
}

void WriteDenseWorld(const std::filesystem::path& world) {
  tools::WriteGrayBitmap(world / kDenseBitmap, [](int, int) { return 255; });
  std::ofstream index(world / kDenseIndex, std::ios::binary);
  index << "ID,Bitmap,Scale,Base,Top\r\n";
  for (int kind = 1; kind <= 12; ++kind)
    index << "dense_kind_" << kind << "," << kDenseBitmap << ",20,9,9\r\n";
}

void RemoveDenseWorld(const std::filesystem::path& world) {
  for (const char* name : {kDenseIndex, kDenseBitmap, kDensePlugin})
    std::filesystem::remove(world / name);
}

}  // namespace

int main(int argc, char** argv) {
  try {
    std::filesystem::path world = bench::WorldFromArguments(argc, argv);
    std::vector<std::string> chosen(argv + 1, argv + argc);
    auto wanted = [&](const std::string& name) {
      return chosen.empty() || std::find(chosen.begin(), chosen.end(), name) != chosen.end();
    };
    if (!std::filesystem::exists(world / "objects.csv"))
      throw std::runtime_error("no objects.csv in \"" + world.string() +
                               "\": run make_example_world again");
    std::printf("threads %d; cores %.0f ns round trip\n", ThreadCount(),
                bench::CoreRoundTripNanoseconds());
    std::printf(
        "instruction sets %s: random draws %s, bitmap samples %s, layer merge %s, object "
        "densities %s, height steps %s, vertex colours %s\n\n",
        bench::InstructionSetsCap().c_str(), RandomStream::BulkInstructionSet(),
        SampleInstructionSet(), MergeInstructionSet(), DensityInterleaveInstructionSet(),
        HeightStepInstructionSet(), VertexColorInstructionSet());
    if (wanted("d")) {
      CompareDefaultRunWithFloor(world, Setting::kOwnProcesses);
      CompareDefaultRunWithFloor(world, Setting::kOwnProcessesAfterPause);
      // The one process is a child too: the heap it leaves behind would
      // otherwise count in the peak memory of the scenarios below.
      bench::MeasureInChild([&] {
        CompareDefaultRunWithFloor(world, Setting::kOneProcess);
        return 0.0;
      });
    }
    std::vector<std::pair<std::string, Scenario>> scenarios = {
        {"a",
         {"(a) example world, its object kinds, full default box", "under 1 s",
          [](WindowModel&) {}}},
        {"b",
         {"(b) dense: 12 kinds, density 255 everywhere, divisor 64, squares of 9", "under 5 s",
          [](WindowModel& window) {
            window.setText("txtObjectIndex", kDenseIndex);
            window.setText("txtESP", kDensePlugin);
          }}},
    };
    for (const auto& [name, scenario] : scenarios) {
      if (!wanted(name))
        continue;
      if (name == "b")
        WriteDenseWorld(world);
      std::printf("%s (target %s)\n", scenario.title, scenario.target);
      std::vector<double> wholeRuns, fileFloors;
      for (int round = 0; round < kScenarioRounds; ++round) {
        // Each round starts on a quiet disk: the gigabytes the round before
        // left dirty would otherwise be written back during this one.
        ::sync();
        const double roundTrip = bench::CoreRoundTripNanoseconds();
        bench::ChildMeasurements measured =
            bench::MeasureAllInChild([&] { return RunScenario(world, scenario, round == 0); });
        const std::vector<double>& figures = measured.results;
        ::sync();
        const double files = bench::MeasureInChild([&] {
                               return bench::MeasureFileFloor(
                                   world, static_cast<std::size_t>(figures.at(kBytesWritten)),
                                   static_cast<std::size_t>(figures.at(kBytesRead)));
                             }).result;
        std::printf(
            "%speak resident memory %s, cores %.0f ns round trip before, files' floor %.2f s\n",
            round == 0 ? "\n  " : ", ", Mebibytes(measured.peakBytes).c_str(), roundTrip, files);
        wholeRuns.push_back(figures.at(kWholeRun));
        fileFloors.push_back(files);
        if (round == 0) {
          std::printf("  the run wrote %.0f MB and read %.0f MB\n", figures.at(kBytesWritten) / 1e6,
                      figures.at(kBytesRead) / 1e6);
        }
      }
      const double drawSeconds = MeasureDrawSeconds(world, scenario);
      std::printf("  its draws alone take %.2f s on one thread\n", drawSeconds);
      const double floor = drawSeconds / ThreadCount() + Median(fileFloors);
      std::printf(
          "  median whole run %.2f s; floor %.2f s (draws %.2f s over %d threads, files "
          "%.2f s): %.2fx the floor\n\n",
          Median(wholeRuns), floor, drawSeconds / ThreadCount(), ThreadCount(), Median(fileFloors),
          Median(wholeRuns) / floor);
      if (name == "b")
        RemoveDenseWorld(world);
    }
  } catch (const std::exception& error) {
    std::cerr << error.what() << "\n";
    return 1;
  }
  return 0;
}
