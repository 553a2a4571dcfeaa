// The preview picture of the example world: drawing time at the default
// 1664 x 1664 and at full resolution, and the PNG encoding time, with and
// without objects. Run as: bench_preview_drawing WORLD [objects]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <string_view>
#include <vector>

#include "bench_support.hpp"
#include "model/control_names.hpp"
#include "preview/png_file.hpp"
#include "preview/run_preview.hpp"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRounds = 7;

double ThreadCpuMilliseconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

struct Timing {
  double wall;  // milliseconds, medians
  double cpu;   // the same without the time other processes took the core
};

// Wall time suffers on a shared machine; processor time shows the work itself.
template <typename Work>
Timing Median(Work&& work) {
  std::vector<double> wall, cpu;
  for (int i = 0; i < kRounds; ++i) {
    auto start = Clock::now();
    double cpuStart = ThreadCpuMilliseconds();
    work();
    cpu.push_back(ThreadCpuMilliseconds() - cpuStart);
    wall.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  std::sort(wall.begin(), wall.end());
  std::sort(cpu.begin(), cpu.end());
  return {wall[wall.size() / 2], cpu[cpu.size() / 2]};
}

void Measure(const brackwyn::RunContext& run, int scale) {
  using namespace brackwyn;
  RgbImage image;
  Timing draw = Median([&] { image = DrawRunPreview(run.state, run.window, {scale, true}); });
  std::vector<std::uint8_t> png;
  Timing encode = Median([&] { png = EncodePng(image); });
  std::printf(
      "  scale %d (%d x %d): draw %.1f ms (processor %.1f ms), PNG encode %.1f ms (processor "
      "%.1f ms), %zu bytes, %zu objects\n",
      scale, image.width, image.height, draw.wall, draw.cpu, encode.wall, encode.cpu, png.size(),
      run.state.placedObjects.size());
}

}  // namespace

int main(int argc, char** argv) {
  std::filesystem::path world = brackwyn::bench::WorldFromArguments(argc, argv);
  bool objects = argc > 1 && std::string_view(argv[1]) == "objects";
  std::printf("Preview of %s, objects %s (median of %d):\n", world.c_str(), objects ? "on" : "off",
              kRounds);
  brackwyn::bench::RunOnce(
      world,
      [&](brackwyn::WindowModel& window) {
        window.setState(brackwyn::control::chkCreateObjects, objects ? 1 : 0);
      },
      [](brackwyn::RunContext& run) {
        Measure(run, brackwyn::kDefaultPreviewScale);
        Measure(run, 1);
      });
  return 0;
}
