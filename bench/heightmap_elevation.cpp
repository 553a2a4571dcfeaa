// The height sources of a run: LoadElevation + ProcessElevation from the
// three bitmaps, from a RAW heightmap and from the 16-bit PNG that export
// writes, alternately, and export itself of the world's default plugin.
// Run as: bench_heightmap_elevation WORLD
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "bench_support.hpp"
#include "elevation/heightmap_file.hpp"
#include "elevation/load_elevation.hpp"
#include "elevation/process_elevation.hpp"
#include "model/control_names.hpp"
#include "pipeline/heightmap_export.hpp"
#include "pipeline/initialize_variables.hpp"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRounds = 7;

double MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// LoadElevation + ProcessElevation in milliseconds, from the bitmaps (an
// empty name) or from the named heightmap.
double Elevation(const std::filesystem::path& world, const std::string& heightmap,
                 const brackwyn::HeightmapExport& exported) {
  using namespace brackwyn;
  WindowModel window;
  if (!heightmap.empty()) {
    window.setState(control::chkHeightmap, 1);
    window.setText(control::txtHeightmap, heightmap);
    window.setText(control::txtHeightmapLow, std::to_string(exported.low));
    window.setText(control::txtHeightmapHigh, std::to_string(exported.high));
  }
  ProgressReporter progress(window);
  RunState state;
  state.workingDirectory = world;
  RunContext run{window, progress, state};
  InitializeVariables(run);
  auto start = Clock::now();
  LoadElevation(run);
  ProcessElevation(run);
  return MillisecondsSince(start);
}

}  // namespace

int main(int argc, char** argv) {
  using namespace brackwyn;
  const std::filesystem::path world = bench::WorldFromArguments(argc, argv);
  bench::MeasuredRun plugin = bench::RunOnce(world);
  const std::filesystem::path pluginPath = world / plugin.pluginName;

  std::vector<double> exportTimes;
  HeightmapExport exported;
  for (int i = 0; i < kRounds; ++i) {
    auto start = Clock::now();
    std::vector<PluginContents> plugins;
    plugins.push_back(ReadPluginFile(pluginPath));
    exported = ExportHeightmap(plugins, std::nullopt);
    WriteHeightmap(exported.samples, world / "bench-heightmap.png", "heightmap");
    exportTimes.push_back(MillisecondsSince(start));
  }
  WriteHeightmap(exported.samples, world / "bench-heightmap.r16", "heightmap");
  std::printf("Export of %s to a 16-bit PNG: %.1f ms (median of %d)\n", pluginPath.c_str(),
              Median(exportTimes), kRounds);

  const std::vector<std::pair<const char*, std::string>> sources = {
      {"three bitmaps", ""},
      {"RAW heightmap (.r16)", "bench-heightmap.r16"},
      {"16-bit PNG from export", "bench-heightmap.png"}};
  std::map<std::string, std::vector<double>> times;
  for (int i = 0; i < kRounds; ++i) {
    for (const auto& [name, file] : sources)
      times[name].push_back(Elevation(world, file, exported));
  }
  std::printf("LoadElevation + ProcessElevation, median of %d, taken in turn:\n", kRounds);
  for (const auto& [name, file] : sources)
    std::printf("  %-24s %8.1f ms\n", name, Median(times[name]));
  std::filesystem::remove(world / "bench-heightmap.png");
  std::filesystem::remove(world / "bench-heightmap.r16");
  return 0;
}
