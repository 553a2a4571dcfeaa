// The default run (vertex colours on, objects off) on the example world with
// warm caches, next to a floor measured in the same process: reading the three
// bitmaps and writing a file of the plugin's size front to back. Then what
// "Create Normals and Map Heights" adds to the same run.
//
//   bench_default_run [WORLD-FOLDER] [Google Benchmark flags]
#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <iostream>
#include <map>
#include <vector>

#include "bench_support.hpp"
#include "model/control_names.hpp"

namespace {

std::filesystem::path gWorld;
constexpr std::size_t kDefaultPluginBytes = 80'536'297;

void BM_Floor(benchmark::State& state) {
  for (auto _ : state) {
    state.SetIterationTime(brackwyn::bench::MeasureFloor(gWorld, kDefaultPluginBytes));
  }
}

void BM_DefaultRun(benchmark::State& state) {
  std::map<std::string, double> stageSeconds;
  for (auto _ : state) {
    brackwyn::bench::MeasuredRun run = brackwyn::bench::RunOnce(gWorld);
    state.SetIterationTime(run.wallSeconds);
    for (const auto& stage : run.stages)
      stageSeconds[stage.stageName] += stage.seconds;
  }
  for (const auto& [name, seconds] : stageSeconds) {
    state.counters[name + "_ms"] = 1000 * seconds / static_cast<double>(state.iterations());
  }
}

BENCHMARK(BM_Floor)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_DefaultRun)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(3.0);

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// Floor and run measured alternately, so both see the same machine state.
void PrintSummary() {
  std::vector<double> floors, runs;
  for (int i = 0; i < 11; ++i) {
    floors.push_back(brackwyn::bench::MeasureFloor(gWorld, kDefaultPluginBytes));
    runs.push_back(brackwyn::bench::RunOnce(gWorld).wallSeconds);
  }
  double floor = Median(floors), run = Median(runs);
  std::cout << "Median of 11: whole run " << run << " s, floor " << floor << " s, run/floor "
            << run / floor << "\n";
}

// Runs with normals off and on, alternately, so both see the same machine
// state. Processor time is printed too: on a machine shared with other work it
// varies far less than wall time.
void PrintNormalsCost() {
  auto normalsOn = [](brackwyn::WindowModel& window) {
    window.setState(brackwyn::control::chkCreateNormals, 1);
  };
  std::vector<double> off, on, offCpu, onCpu;
  for (int i = 0; i < 11; ++i) {
    std::clock_t start = std::clock();
    off.push_back(brackwyn::bench::RunOnce(gWorld).wallSeconds);
    std::clock_t middle = std::clock();
    on.push_back(brackwyn::bench::RunOnce(gWorld, normalsOn).wallSeconds);
    std::clock_t end = std::clock();
    offCpu.push_back(static_cast<double>(middle - start) / CLOCKS_PER_SEC);
    onCpu.push_back(static_cast<double>(end - middle) / CLOCKS_PER_SEC);
  }
  double without = Median(off), with = Median(on);
  std::cout << "Median of 11: whole run " << without << " s, with normals and map heights " << with
            << " s, difference " << 1000 * (with - without) << " ms; processor time "
            << Median(offCpu) << " s and " << Median(onCpu) << " s, difference "
            << 1000 * (Median(onCpu) - Median(offCpu)) << " ms\n";
}

}  // namespace

int main(int argc, char** argv) {
  try {
    gWorld = brackwyn::bench::WorldFromArguments(argc, argv);
    benchmark::AddCustomContext("instruction sets", brackwyn::bench::InstructionSetsCap());
    brackwyn::bench::RunOnce(gWorld);  // warm the caches
  } catch (const std::exception& error) {
    std::cerr << error.what() << "\n";
    return 1;
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  PrintSummary();
  PrintNormalsCost();
  long long peak = brackwyn::bench::PeakResidentBytesOf([] { brackwyn::bench::RunOnce(gWorld); });
  std::cout << "Peak resident memory of one default run: " << peak / (1024 * 1024) << " MiB\n";
  brackwyn::bench::RemoveFloorFile(gWorld);
  benchmark::Shutdown();
  return 0;
}
