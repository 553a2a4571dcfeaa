#include "preview/run_preview.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <stdexcept>
#include <string>

#include "core/number_text.hpp"
#include "core/units.hpp"
#include "model/control_names.hpp"
#include "model/setting_number.hpp"
#include "preview/bitmap_font.hpp"
#include "preview/image_text.hpp"
#include "preview/land_picture.hpp"

namespace brackwyn {
namespace {

constexpr std::array<Rgb, 12> kKindColors = {{{230, 25, 75},
                                              {255, 225, 25},
                                              {0, 130, 200},
                                              {245, 130, 48},
                                              {70, 240, 240},
                                              {145, 30, 180},
                                              {210, 245, 60},
                                              {250, 190, 212},
                                              {0, 128, 128},
                                              {170, 110, 40},
                                              {128, 0, 0},
                                              {0, 0, 128}}};
constexpr int kLegendMargin = 4;
constexpr int kLegendLineGap = 3;
constexpr std::size_t kLegendIdChars = 31;  // longer IDs end in "~"

int TextZoom(int scale) {
  return scale == 1 ? 2 : 1;
}

// A square large enough to find at two vertices a pixel.
void MarkClippedVertices(const RunState& state, const LandView& view, RgbImage& image) {
  const int radius = view.scale() >= 2 ? 2 : 3;
  for (const ClippedVertex& vertex : state.clippedVertices) {
    const int x = std::clamp(view.pixelX(vertex.x), 0, image.width - 1);
    const int y = std::clamp(view.pixelY(vertex.y), 0, image.height - 1);
    FillRect(image, x - radius, y - radius, 2 * radius + 1, 2 * radius + 1, kClippedColor);
  }
}

void DrawObjects(const RunState& state, const LandView& view, RgbImage& image) {
  const int size = view.scale() == 1 ? 2 : 1;
  for (const PlacedObject& object : state.placedObjects) {
    const int x = view.pixelX(object.subCellX / kSubCellsPerPixelSide);
    const int y = view.pixelY(object.subCellY / kSubCellsPerPixelSide);
    FillRect(image, x, y - size + 1, size, size, ObjectKindColor(object.kind));
  }
}

std::optional<int> ConfineValue(const WindowModel& window, std::string_view name) {
  try {
    double value = RoundHalfEven(SettingNumber(window, name));
    if (value >= 0 && value <= kBitmapSide - 1)
      return static_cast<int>(value);
  } catch (const std::exception&) {
  }
  return std::nullopt;  // not a box the run could have used: nothing to outline
}

void DrawConfineBox(const WindowModel& window, const LandView& view, RgbImage& image) {
  auto x1 = ConfineValue(window, control::txtConfineObjectsX1);
  auto y1 = ConfineValue(window, control::txtConfineObjectsY1);
  auto x2 = ConfineValue(window, control::txtConfineObjectsX2);
  auto y2 = ConfineValue(window, control::txtConfineObjectsY2);
  if (!x1 || !y1 || !x2 || !y2 || *x1 > *x2 || *y1 > *y2)
    return;
  const int left = view.pixelX(*x1), right = view.pixelX(*x2);
  const int top = view.pixelY(*y2), bottom = view.pixelY(*y1);
  OutlineRect(image, left, top, right - left + 1, bottom - top + 1, kConfineColor);
}

std::string LegendText(const ObjectKind& kind) {
  if (kind.id.size() <= kLegendIdChars)
    return kind.id;
  return kind.id.substr(0, kLegendIdChars - 1) + "~";
}

void DrawLegend(const ObjectPalette& palette, RgbImage& image, int scale) {
  std::vector<LegendLine> lines = LegendLayout(palette, image.width, image.height, scale);
  if (lines.empty())
    return;
  const int zoom = TextZoom(scale);
  int right = 0;
  for (const LegendLine& line : lines)
    right = std::max(right, line.textX + TextWidth(LegendText(palette.kind(line.kind)), zoom));
  const int left = lines.front().x - kLegendMargin;
  const int bottom = lines.back().y + TextHeight(zoom) + kLegendMargin;
  BlendRect(image, left, 0, right + kLegendMargin - left, bottom, {0, 0, 0}, 176);
  for (const LegendLine& line : lines) {
    FillRect(image, line.x, line.y, TextHeight(zoom), TextHeight(zoom), ObjectKindColor(line.kind));
    DrawText(image, line.textX, line.textY, LegendText(palette.kind(line.kind)), {255, 255, 255},
             zoom);
  }
}

}  // namespace

Rgb ObjectKindColor(int kind) {
  return kKindColors[static_cast<std::size_t>(std::max(kind - 1, 0)) % kKindColors.size()];
}

std::vector<LegendLine> LegendLayout(const ObjectPalette& palette, int imageWidth, int imageHeight,
                                     int scale) {
  const int zoom = TextZoom(scale);
  const int lineHeight = TextHeight(zoom) + kLegendLineGap * zoom;
  std::size_t widest = 0;
  for (const ObjectKind& kind : palette.kinds)
    widest = std::max(widest, LegendText(kind).size());
  const int swatch = TextHeight(zoom);
  const int width = swatch + kGlyphWidth * zoom + TextWidth(std::string(widest, 'x'), zoom);
  const int x = imageWidth - width - 2 * kLegendMargin;
  std::vector<LegendLine> lines;
  int y = kLegendMargin;
  // Kinds beyond the picture's height are left out of the legend.
  for (int kind = 1; kind <= palette.kindCount() && y + lineHeight <= imageHeight;
       ++kind, y += lineHeight)
    lines.push_back({kind, x, y, x + swatch + kGlyphWidth * zoom, y});
  return lines;
}

LandView RunLandView(const RunState& state, int scale) {
  const auto cells = static_cast<std::size_t>(kCellCount);
  if (state.cellHeights.baseHeight.size() < cells ||
      state.cellHeights.heightSteps.size() < cells * kVerticesPerCell ||
      state.cellColors.bytes.size() < cells * kCellColorBytes)
    throw std::logic_error("the preview needs the heights and colours of every cell");
  const int worldX = state.parameters.worldX, worldY = state.parameters.worldY;
  LandView view(worldX, worldY, kCellsPerSide, kCellsPerSide, scale);
  for (int cell = 0; cell < kCellCount; ++cell) {
    view.putCell(cell % kCellsPerSide + worldX, cell / kCellsPerSide + worldY,
                 state.cellHeights.baseHeight[static_cast<std::size_t>(cell)],
                 state.cellHeights.steps(cell), state.cellColors.cell(cell));
  }
  return view;
}

RgbImage DrawRunPreview(const RunState& state, const WindowModel& window,
                        const PreviewOptions& options) {
  LandView view = RunLandView(state, options.scale);
  RgbImage image = DrawLandPicture(view);
  MarkClippedVertices(state, view, image);
  if (options.objects && state.objectPalette.kindCount() > 0) {
    DrawObjects(state, view, image);
    DrawConfineBox(window, view, image);
    DrawLegend(state.objectPalette, image, options.scale);
  }
  return image;
}

std::string DescribePreviewPixel(const RunState& state, int scale, int imageWidth, int imageHeight,
                                 int x, int y) {
  if (state.heightGrid.empty() || x < 0 || y < 0 || x >= imageWidth || y >= imageHeight)
    return {};
  const int vertexX = x * scale, vertexY = (imageHeight - 1 - y) * scale;
  const int height = state.heightGrid.at(vertexX, vertexY);
  const int cellX = vertexX / kQuadsPerCellSide + state.parameters.worldX;
  const int cellY = vertexY / kQuadsPerCellSide + state.parameters.worldY;
  return "Cell (" + std::to_string(cellX) + ", " + std::to_string(cellY) + ")  vertex (" +
         std::to_string(vertexX) + ", " + std::to_string(vertexY) + ")  height " +
         std::to_string(height) + " (" + std::to_string(height * kUnitsPerHeightStep) +
         " game units)";
}

}  // namespace brackwyn
