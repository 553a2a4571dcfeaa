#include "objects/object_density.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <string>

#include "core/gray_bitmap.hpp"
#include "core/parallel_for.hpp"
#include "core/thread_count.hpp"

namespace brackwyn {

void ObjectDensity::allocate(int kindCount) {
  std::vector<int> ownLayers(static_cast<std::size_t>(kindCount));
  for (int kind = 0; kind < kindCount; ++kind)
    ownLayers[static_cast<std::size_t>(kind)] = kind;
  allocateForRows(ownLayers);
  std::fill(values_.begin(), values_.end(), 0);
}

void ObjectDensity::allocateForRows(const std::vector<int>& layerOfKind) {
  layerOfKind_ = layerOfKind;
  layerCount_ = 0;
  for (int layer : layerOfKind_)
    layerCount_ = std::max(layerCount_, layer + 1);
  std::size_t pixels = std::size_t{kBitmapSide} * kBitmapSide;
  values_.clear();
  values_.resize(pixels * static_cast<std::size_t>(layerCount_));
  highest_.assign(pixels, 0);
}

void ObjectDensity::release() {
  layerOfKind_.clear();
  layerCount_ = 0;
  values_ = LargeArray<std::uint8_t>();
  highest_ = LargeArray<std::uint8_t>();
}

void ObjectDensity::setRow(int kind, int y, const std::uint8_t* row) {
  const auto stride = static_cast<std::size_t>(layerCount_);
  const std::size_t first = PixelIndex(0, y);
  std::uint8_t* out = values_.data() + first * stride + layerIndex(kind);
  std::uint8_t* highest = highest_.data() + first;
  for (std::size_t x = 0; x < kBitmapSide; ++x) {
    out[x * stride] = row[x];
    highest[x] = std::max(highest[x], row[x]);
  }
}

namespace {

// The first kind before `kind` with the same density bitmap, or 0.
int EarlierKindWithBitmap(const ObjectPalette& palette, int kind) {
  for (int earlier = 1; earlier < kind; ++earlier) {
    if (palette.kind(earlier).bitmapFile == palette.kind(kind).bitmapFile)
      return earlier;
  }
  return 0;
}

// One layer per distinct bitmap, in the order of the kinds that first name it.
std::vector<int> LayersOf(const ObjectPalette& palette) {
  std::vector<int> layerOfKind(static_cast<std::size_t>(palette.kindCount()));
  int layers = 0;
  for (int kind = 1; kind <= palette.kindCount(); ++kind) {
    const int same = EarlierKindWithBitmap(palette, kind);
    layerOfKind[static_cast<std::size_t>(kind - 1)] =
        same ? layerOfKind[static_cast<std::size_t>(same - 1)] : layers++;
  }
  return layerOfKind;
}

std::string LoadingCaption(int kind, int kindCount) {
  double percent = static_cast<double>(kind) / kindCount * 100;
  return " - Loading objects - " + std::to_string(static_cast<long long>(std::trunc(percent))) +
         "% Complete";
}

}  // namespace

void LoadObjectDensities(RunContext& run, ObjectDensity& density) {
  const ObjectPalette& palette = run.state.objectPalette;
  density.allocateForRows(LayersOf(palette));
  WorkerTeam team(ThreadCount());
  for (int kind = 1; kind <= palette.kindCount(); ++kind) {
    run.progress.ShowProgress(LoadingCaption(kind, palette.kindCount()));
    run.progress.YieldToUI();
    if (EarlierKindWithBitmap(palette, kind))
      continue;  // its layer is read already
    const ObjectKind& entry = palette.kind(kind);
    std::string role =
        "density bitmap of object kind " + std::to_string(kind) + " (\"" + entry.id + "\")";
    const std::filesystem::path path = run.state.resolve(entry.bitmapFile);
    GrayBitmapReader first(path, role);  // a bad file is refused before any thread starts
    team.forEach(kBitmapSide, [&](int begin, int end) {
      std::optional<GrayBitmapReader> own;
      GrayBitmapReader& bitmap = begin == 0 ? first : own.emplace(path, role);
      std::array<std::uint8_t, kBitmapSide> samples;
      for (int y = begin; y < end; ++y) {
        bitmap.sampleRow(y, samples.data());
        density.setRow(kind, y, samples.data());
      }
    });
  }
}

}  // namespace brackwyn
