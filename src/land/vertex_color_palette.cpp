#include "land/vertex_color_palette.hpp"

#include <charconv>
#include <string>
#include <utility>

#include "core/number_text.hpp"
#include "core/run_error.hpp"
#include "model/control_names.hpp"
#include "model/control_table.hpp"
#include "model/setting_number.hpp"

namespace brackwyn {
namespace {

constexpr int kPaletteBottomHeight = kPaletteTopHeight - (kPaletteRows - 1);  // -256
std::string_view HeightBox(int band) {
  return control::txtVCLRHeight[band];
}

std::string_view ColorBox(int band, int component) {
  return control::txtVCLRColor[band][component];
}

std::string FormatNumber(double value) {
  char text[32];
  auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

int RoundedHeight(double height) {
  return static_cast<int>(RoundHalfEven(height));
}

void CheckColors(const ColorBands& bands) {
  for (int band = 0; band < kColorBandCount; ++band) {
    for (int component = 0; component < 3; ++component) {
      double value = bands[band].color[component];
      if (!(value >= 0 && value <= 255)) {
        throw RunError("Setting " + DescribeSetting(ColorBox(band, component)) + ": " +
                       FormatNumber(value) + " is outside the color range 0 to 255.");
      }
    }
  }
}

// Bands 1 and 5 are fixed, so a bad pair is blamed on its editable band.
int EditableBandOfPair(int upper) {
  return upper + 1 == kColorBandCount - 1 ? upper : upper + 1;
}

[[noreturn]] void ThrowPairError(const ColorBands& bands, int upper, std::string_view problem) {
  int blamed = EditableBandOfPair(upper);
  int other = blamed == upper ? upper + 1 : upper;
  throw RunError("Setting " + DescribeSetting(HeightBox(blamed)) + ": " +
                 FormatNumber(bands[blamed].height) + " is " + std::string(problem) + " " +
                 DescribeSetting(HeightBox(other)) + ", which is " +
                 FormatNumber(bands[other].height) +
                 ". Each band's height must be at or below the one before it, from 10 down to "
                 "-256.");
}

void CheckHeightOrder(const ColorBands& bands) {
  for (int upper = 0; upper + 1 < kColorBandCount; ++upper) {
    double high = bands[upper].height;
    double low = bands[upper + 1].height;
    bool blameLower = EditableBandOfPair(upper) == upper + 1;
    if (high - low + 1 == 0) {
      // The gradient divides by this: the lower band one above the upper.
      ThrowPairError(bands, upper, blameLower ? "exactly one above" : "exactly one below");
    }
    if (low > high)
      ThrowPairError(bands, upper, blameLower ? "above" : "below");
  }
}

// Whole heights the pair from band `upper` fills, top first; empty when
// first < last.
struct HeightSpan {
  int first;
  int last;
  int rows() const { return first >= last ? first - last + 1 : 0; }
};

HeightSpan PairHeights(const ColorBands& bands, int upper) {
  bool lastPair = upper + 2 == kColorBandCount;
  double lowerEnd = lastPair ? bands[upper + 1].height : bands[upper + 1].height + 1;
  return {RoundedHeight(bands[upper].height), RoundedHeight(lowerEnd)};
}

// Bands 1 and 5 are display-only, but their texts are still what the table
// is built from; rows are addressed as 10 - height, so they must stay put.
void CheckFixedHeights(const ColorBands& bands) {
  const std::array<std::pair<int, int>, 2> fixed = {
      {{0, kPaletteTopHeight}, {kColorBandCount - 1, kPaletteBottomHeight}}};
  for (auto [band, wanted] : fixed) {
    if (RoundHalfEven(bands[band].height) != wanted) {
      throw RunError("Setting " + DescribeSetting(HeightBox(band)) + ": the height must be " +
                     std::to_string(wanted) + ", not " + FormatNumber(bands[band].height) + ".");
    }
  }
}

// Every whole height from 10 to -256 must get exactly one row. With ordered
// heights only fractions ending in .5 can break this: ties to even round H
// and H + 1 to the same number or to numbers two apart.
void CheckOneRowPerHeight(const ColorBands& bands) {
  int next = kPaletteTopHeight;
  for (int upper = 0; upper + 1 < kColorBandCount; ++upper) {
    HeightSpan span = PairHeights(bands, upper);
    if (span.first != next) {
      bool twice = span.first > next;
      throw RunError("Setting " + DescribeSetting(HeightBox(upper)) + ": the height " +
                     FormatNumber(bands[upper].height) + " rounds so that the height " +
                     std::to_string(twice ? span.first : next) + " would get " +
                     (twice ? "two colors" : "no color") +
                     ". Use a whole number, or a fraction that does not end in .5.");
    }
    next -= span.rows();
  }
}

}  // namespace

ColorBands ReadColorBands(const WindowModel& window) {
  ColorBands bands;
  for (int band = 0; band < kColorBandCount; ++band) {
    bands[band].height = SettingNumber(window, HeightBox(band));
    for (int component = 0; component < 3; ++component)
      bands[band].color[component] = SettingNumber(window, ColorBox(band, component));
  }
  return bands;
}

VertexColorPalette BuildVertexColorPalette(const ColorBands& bands) {
  CheckColors(bands);
  CheckFixedHeights(bands);
  CheckHeightOrder(bands);
  CheckOneRowPerHeight(bands);

  VertexColorPalette palette{};
  int row = 0;
  for (int upper = 0; upper + 1 < kColorBandCount; ++upper) {
    const ColorBand& from = bands[upper];
    const ColorBand& to = bands[upper + 1];
    // The divisor counts one step more than the pair has rows, so a pair
    // stops one step short of the next band's colour.
    double divisor = from.height - to.height + 1;
    // Carried in double: a float running colour drifts enough to change
    // roundings further down (height -74 green would be 189, not 190).
    std::array<double, 3> running{};
    std::array<double, 3> step{};
    for (int c = 0; c < 3; ++c) {
      running[c] = static_cast<float>(from.color[c]);
      step[c] = static_cast<float>((to.color[c] - from.color[c]) / divisor);
    }
    HeightSpan span = PairHeights(bands, upper);
    for (int height = span.first; height >= span.last; --height, ++row) {
      for (int c = 0; c < 3; ++c) {
        palette[row][c] = static_cast<float>(running[c]);
        running[c] += step[c];
      }
    }
  }
  return palette;
}

void CreatePalette(RunContext& run) {
  run.progress.StartStage();
  run.state.palette = BuildVertexColorPalette(ReadColorBands(run.window));
  run.progress.LogStageTime("CreatePalette");
}

}  // namespace brackwyn
