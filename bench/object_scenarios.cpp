// Whole runs with object creation on, each in its own child process so that
// its peak memory is its own:
//   (a) the example world with its kinds over the full default box;
//   (b) a dense case: 12 kinds, density 255 everywhere, divisor 64, base and
//       top squares of 9 sub-cells, so that no sub-cell can be skipped.
// Each prints the whole-run time, the CreateObjects and CreateESP times, the
// objects placed, the plugin size, the peak resident memory and the disk
// space the work files really take. (b) also times a reset of the work files
// its run filled, the path a run takes when a crashed run left them behind.
//
//   bench_object_scenarios [WORLD-FOLDER] [a] [b]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

#include "bench_support.hpp"
#include "gray_bitmap_writer.hpp"
#include "objects/object_counts_text.hpp"
#include "objects/placement_files.hpp"
#include "pipeline/pipeline.hpp"
#include "pipeline/work_files.hpp"

namespace {

using namespace brackwyn;
using Clock = std::chrono::steady_clock;

constexpr char kDenseIndex[] = "bench_dense_objects.csv";
constexpr char kDenseBitmap[] = "bench_dense.bmp";
constexpr char kDensePlugin[] = "bench_dense.esp";

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

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

struct Scenario {
  const char* title;
  std::function<void(WindowModel&)> configure;
  bool timeExistingReset = false;
};

// One run in `world`; prints its figures and removes the work files.
void RunScenario(const std::filesystem::path& world, const Scenario& scenario) {
  auto configure = [&](WindowModel& window) {
    window.setState("chkCreateObjects", 1);
    scenario.configure(window);
  };
  auto report = [&](RunContext& run) {
    long long placed = 0;
    for (std::int32_t count : run.state.objectCounts)
      placed += count;
    long long workDisk = 0;
    for (std::string_view name : kWorkFileNames)
      workDisk += bench::DiskBytes(world / name);
    auto plugin = run.state.resolve(run.state.parameters.pluginFileName);
    std::printf("%s\n", scenario.title);
    std::printf("  CreateObjects %.2f s, CreateESP %.2f s\n",
                StageSeconds(run.progress, "CreateObjects"),
                StageSeconds(run.progress, "CreateESP"));
    std::printf(
        "  objects placed %s, plugin %s bytes, work files on disk %s\n",
        FormatGroupedCount(placed).c_str(),
        FormatGroupedCount(static_cast<long long>(std::filesystem::file_size(plugin))).c_str(),
        Mebibytes(workDisk).c_str());
    if (scenario.timeExistingReset) {
      auto resetStart = Clock::now();
      { PlacementFiles files = ResetPlacementFiles(run); }
      std::printf("  reset of the work files that run left behind: %.2f s\n",
                  SecondsSince(resetStart));
    }
  };
  bench::MeasuredRun measured = bench::RunOnce(world, configure, report);
  std::printf("  whole run %.2f s\n", measured.wallSeconds);
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
    std::vector<std::pair<std::string, Scenario>> scenarios = {
        {"a",
         {"(a) example world, its object kinds, full default box", [](WindowModel&) {}, false}},
        {"b",
         {"(b) dense: 12 kinds, density 255 everywhere, divisor 64, squares of 9",
          [](WindowModel& window) {
            window.setText("txtObjectIndex", kDenseIndex);
            window.setText("txtESP", kDensePlugin);
          },
          true}},
    };
    for (const auto& [name, scenario] : scenarios) {
      if (!wanted(name))
        continue;
      if (name == "b")
        WriteDenseWorld(world);
      long long peak = bench::PeakResidentBytesOf([&] { RunScenario(world, scenario); });
      std::printf("  peak resident memory %s\n\n", Mebibytes(peak).c_str());
      if (name == "b")
        RemoveDenseWorld(world);
    }
  } catch (const std::exception& error) {
    std::cerr << error.what() << "\n";
    return 1;
  }
  return 0;
}
