#include "preview/land_picture.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>

#include "land/cell_colors.hpp"
#include "land/vertex_color_palette.hpp"
#include "model/window_model.hpp"
#include "preview/image_text.hpp"

namespace brackwyn {
namespace {

constexpr Rgb kWhite = {255, 255, 255};
constexpr Rgb kLabelColor = {255, 255, 255};
constexpr int kGridAlpha = 48;  // of 256: faint
// Relief reads better at two vertices a pixel when slopes are steepened.
constexpr float kReliefExaggeration = 2.0f;
constexpr int kLabelGap = 6;  // pixels between neighbouring labels, at least

struct RampStop {
  int height;
  Rgb color;
};
// Lowland green through brown rock to snow, in height steps.
constexpr std::array<RampStop, 5> kRamp = {{{0, {118, 160, 86}},
                                            {120, {146, 162, 94}},
                                            {380, {150, 128, 96}},
                                            {750, {140, 138, 134}},
                                            {1100, {242, 242, 246}}}};

// Light from the north-west, 45 degrees up: (-1, 1, sqrt 2) / 2.
constexpr float kLightX = -0.5f, kLightY = 0.5f, kLightZ = 0.70710678f;

float Shade(Slope slope) {
  const float ex = slope.east * kReliefExaggeration, ny = slope.north * kReliefExaggeration;
  // Normal (-ex, -ny, 1), normalised; flat ground gets 1.
  const float lit = (-ex * kLightX - ny * kLightY + kLightZ) / std::sqrt(ex * ex + ny * ny + 1.0f);
  return std::clamp(lit / kLightZ, 0.2f, 1.45f);
}

Rgb Shaded(Rgb color, float shade) {
  Rgb out;
  for (int c = 0; c < 3; ++c)
    out[c] = static_cast<std::uint8_t>(std::min(255.0f, color[c] * shade + 0.5f));
  return out;
}

struct SeaColors {
  std::array<Rgb, kPaletteRows> rows;
  SeaColors() {
    WindowModel defaults;
    VertexColorPalette palette = BuildVertexColorPalette(ReadColorBands(defaults));
    for (int row = 0; row < kPaletteRows; ++row)
      rows[row] = ColorOfHeight(palette, kPaletteTopHeight - row);
  }
};

// One pass over the samples of a picture row, with the rows above and below
// at hand for the shore test; pointers rather than look-ups, as it runs once
// a pixel.
class LandRowPainter {
 public:
  explicit LandRowPainter(const LandView& view)
      : view_(view), samples_(view.samples()), wide_(view.samplesWide()) {}

  void paint(int sy, std::uint8_t* out) const {
    const int cell = CellPixels(view_);
    const std::int32_t* row = samples_.heights + std::size_t(sy) * wide_;
    const std::int32_t* below = sy > 0 ? row - wide_ : nullptr;
    const std::int32_t* above = row + wide_;  // the last sample row lies beyond the picture
    for (int column = 0; column < view_.columns(); ++column) {
      const int x0 = column * cell;
      const bool land = view_.hasLand(column, sy / cell);
      for (int sx = x0; sx < x0 + cell; ++sx, out += 3) {
        const Rgb color = land ? pixel(row, below, above, sx, sy) : kBackgroundColor;
        out[0] = color[0];
        out[1] = color[1];
        out[2] = color[2];
      }
    }
  }

 private:
  Rgb pixel(const std::int32_t* row, const std::int32_t* below, const std::int32_t* above, int sx,
            int sy) const {
    const std::int32_t h = row[sx];
    const Rgb vertex = view_.color(sx, sy);
    if (h < 0)
      return view_.colored() ? vertex : DefaultSeaColor(h);
    const bool shore = (sx > 0 && row[sx - 1] < 0) || row[sx + 1] < 0 ||
                       (below != nullptr && below[sx] < 0) || above[sx] < 0;
    if (shore)
      return kShoreColor;
    const Rgb base = vertex != kWhite ? vertex : LandRampColor(h);
    return Shaded(base, Shade(SlopeAt(samples_, sx, sy)));
  }

  const LandView& view_;
  HeightSamples<std::int32_t> samples_;
  int wide_;
};

void DrawLand(const LandView& view, RgbImage& image) {
  const LandRowPainter painter(view);
  for (int py = 0; py < image.height; ++py)
    painter.paint(image.height - 1 - py, image.at(0, py));
}

// Light lines on dark ground, dark lines on light ground.
void GridPixel(RgbImage& image, int x, int y) {
  const std::uint8_t* p = image.at(x, y);
  const bool dark = p[0] * 3 + p[1] * 6 + p[2] < 1280;
  Blend(image, x, y, dark ? Rgb{255, 255, 255} : Rgb{0, 0, 0}, kGridAlpha);
}

void DrawGrid(const LandView& view, RgbImage& image) {
  const int cell = CellPixels(view);
  for (int y = 0; y < image.height; ++y) {
    const int step = y % cell == 0 ? 1 : cell;  // whole rows on cell edges, else the columns
    for (int x = 0; x < image.width; x += step)
      GridPixel(image, x, y);
  }
}

void DrawCoordinates(const LandView& view, RgbImage& image) {
  const int cell = CellPixels(view);
  const int zoom = view.scale() == 1 ? 2 : 1;
  const int every = std::max(1, (TextWidth("-26", zoom) + kLabelGap + cell - 1) / cell);
  for (int column = 0; column < view.columns(); ++column) {
    const int gridX = view.gridX0() + column;
    if (gridX % every != 0)
      continue;
    std::string text = std::to_string(gridX);
    int x = column * cell + (cell - TextWidth(text, zoom)) / 2;
    DrawOutlinedText(image, x, image.height - TextHeight(zoom) - 2, text, kLabelColor, zoom);
  }
  for (int row = 0; row < view.rows(); ++row) {
    const int gridY = view.gridY0() + row;
    if (gridY % every != 0)
      continue;
    int y = image.height - (row + 1) * cell + (cell - TextHeight(zoom)) / 2;
    DrawOutlinedText(image, 2, y, std::to_string(gridY), kLabelColor, zoom);
  }
}

}  // namespace

Rgb DefaultSeaColor(int height) {
  static const SeaColors colors;
  return colors.rows[std::clamp(kPaletteTopHeight - height, 0, kPaletteRows - 1)];
}

Rgb LandRampColor(int height) {
  if (height <= kRamp.front().height)
    return kRamp.front().color;
  for (std::size_t i = 1; i < kRamp.size(); ++i) {
    if (height > kRamp[i].height)
      continue;
    const RampStop& a = kRamp[i - 1];
    const RampStop& b = kRamp[i];
    const int t = (height - a.height) * 256 / (b.height - a.height);
    Rgb out;
    for (int c = 0; c < 3; ++c)
      out[c] = static_cast<std::uint8_t>((a.color[c] * (256 - t) + b.color[c] * t) >> 8);
    return out;
  }
  return kRamp.back().color;
}

RgbImage DrawLandPicture(const LandView& view) {
  RgbImage image(view.pictureWidth(), view.pictureHeight());
  DrawLand(view, image);
  DrawGrid(view, image);
  DrawCoordinates(view, image);
  return image;
}

}  // namespace brackwyn
