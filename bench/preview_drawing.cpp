// The preview picture of the example world: drawing time at the default
// 1664 x 1664 and at full resolution, and the PNG encoding time, with and
// without objects. Run as: bench_preview_drawing WORLD [objects]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string_view>
#include <vector>

#include "bench_support.hpp"
#include "model/control_names.hpp"
#include "preview/png_file.hpp"
#include "preview/run_preview.hpp"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRounds = 7;

template <typename Work>
double MedianMilliseconds(Work&& work) {
  std::vector<double> times;
  for (int i = 0; i < kRounds; ++i) {
    auto start = Clock::now();
    work();
    times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

void Measure(const brackwyn::RunContext& run, int scale) {
  using namespace brackwyn;
  RgbImage image;
  double draw = MedianMilliseconds([&] {
    image = DrawRunPreview(run.state, run.window, {scale, true});
  });
  std::vector<std::uint8_t> png;
  double encode = MedianMilliseconds([&] { png = EncodePng(image); });
  std::printf("  scale %d (%d x %d): draw %.1f ms, PNG encode %.1f ms, %zu bytes, %zu objects\n",
              scale, image.width, image.height, draw, encode, png.size(),
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
