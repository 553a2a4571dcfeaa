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

bool IsSea(const LandView& view, int sx, int sy) {
  return view.height(sx, sy) < 0;
}

// Land next to sea, within cells that have land.
bool OnShore(const LandView& view, int sx, int sy) {
  const int cell = kQuadsPerCellSide / view.scale();
  auto seaAt = [&](int x, int y) {
    if (x < 0 || y < 0 || x >= view.pictureWidth() || y >= view.pictureHeight())
      return false;
    return view.hasLand(x / cell, y / cell) && IsSea(view, x, y);
  };
  return seaAt(sx - 1, sy) || seaAt(sx + 1, sy) || seaAt(sx, sy - 1) || seaAt(sx, sy + 1);
}

Rgb PixelColor(const LandView& view, int sx, int sy) {
  const std::int32_t h = view.height(sx, sy);
  const Rgb vertex = view.color(sx, sy);
  if (h < 0)
    return view.colored() ? vertex : DefaultSeaColor(h);
  if (OnShore(view, sx, sy))
    return kShoreColor;
  const Rgb base = vertex != kWhite ? vertex : LandRampColor(h);
  return Shaded(base, Shade(SlopeAt(view.samples(), sx, sy)));
}

void DrawLand(const LandView& view, RgbImage& image) {
  const int cell = CellPixels(view);
  for (int py = 0; py < image.height; ++py) {
    const int sy = image.height - 1 - py;
    std::uint8_t* out = image.at(0, py);
    for (int sx = 0; sx < image.width; ++sx, out += 3) {
      Rgb color = view.hasLand(sx / cell, sy / cell) ? PixelColor(view, sx, sy) : kBackgroundColor;
      out[0] = color[0];
      out[1] = color[1];
      out[2] = color[2];
    }
  }
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
    for (int x = 0; x < image.width; ++x) {
      if (x % cell == 0 || y % cell == 0)
        GridPixel(image, x, y);
    }
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
