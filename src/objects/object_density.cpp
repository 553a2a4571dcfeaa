#include "objects/object_density.hpp"

#include <algorithm>
#include <cmath>
#include <string>

#include "app/file_io.hpp"
#include "app/run_error.hpp"
#include "objects/object_counts_text.hpp"

namespace brackwyn {

void ObjectDensity::allocate(int kindCount) {
  kindCount_ = kindCount;
  std::size_t pixels = std::size_t{kBitmapSide} * kBitmapSide;
  values_.assign(pixels * static_cast<std::size_t>(kindCount), 0);
  highest_.assign(pixels, 0);
}

void ObjectDensity::release() {
  kindCount_ = 0;
  values_ = std::vector<std::uint8_t>();
  highest_ = std::vector<std::uint8_t>();
}

void ObjectDensity::sampleBitmap(int kind, std::span<const std::uint8_t> bitmapBytes) {
  const std::uint8_t* sample = bitmapBytes.data() + kBitmapSampleOffset;
  const auto stride = static_cast<std::size_t>(kindCount_);
  std::uint8_t* out = values_.data() + static_cast<std::size_t>(kind - 1);
  std::size_t pixels = std::size_t{kBitmapSide} * kBitmapSide;
  for (std::size_t i = 0; i < pixels; ++i) {
    std::uint8_t value = sample[3 * i];
    out[i * stride] = value;
    highest_[i] = std::max(highest_[i], value);
  }
}

namespace {

std::string LoadingCaption(int kind, int kindCount) {
  double percent = static_cast<double>(kind) / kindCount * 100;
  return " - Loading objects - " + std::to_string(static_cast<long long>(std::trunc(percent))) +
         "% Complete";
}

}  // namespace

void LoadObjectDensities(RunContext& run, ObjectDensity& density) {
  const ObjectPalette& palette = run.state.objectPalette;
  density.allocate(palette.kindCount());
  for (int kind = 1; kind <= palette.kindCount(); ++kind) {
    run.progress.ShowProgress(LoadingCaption(kind, palette.kindCount()));
    run.progress.YieldToUI();
    const ObjectKind& entry = palette.kind(kind);
    std::string role =
        "density bitmap of object kind " + std::to_string(kind) + " (\"" + entry.id + "\")";
    auto path = run.state.resolve(entry.bitmapFile);
    std::vector<std::uint8_t> bytes = ReadWholeFile(path, role);
    if (bytes.size() < kBitmapMinimumBytes) {
      throw RunError("Cannot use " + NameFile(role, path) + ": it is only " +
                     FormatGroupedCount(static_cast<std::int64_t>(bytes.size())) +
                     " bytes long, and a 3328 x 3328 24-bit bitmap needs at least " +
                     FormatGroupedCount(kBitmapMinimumBytes) + " bytes.");
    }
    density.sampleBitmap(kind, bytes);
  }
}

}  // namespace brackwyn
