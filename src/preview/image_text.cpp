#include "preview/image_text.hpp"

#include "preview/bitmap_font.hpp"

namespace brackwyn {

int TextWidth(std::string_view text, int zoom) {
  return static_cast<int>(text.size()) * kGlyphWidth * zoom;
}

int TextHeight(int zoom) {
  return kGlyphHeight * zoom;
}

void DrawText(RgbImage& image, int x, int y, std::string_view text, Rgb color, int zoom) {
  for (char c : text) {
    const auto& rows = GlyphRows(c);
    for (int row = 0; row < kGlyphHeight; ++row) {
      for (int column = 0; column < kGlyphWidth; ++column) {
        if ((rows[row] >> (kGlyphWidth - 1 - column) & 1) != 0)
          FillRect(image, x + column * zoom, y + row * zoom, zoom, zoom, color);
      }
    }
    x += kGlyphWidth * zoom;
  }
}

void DrawOutlinedText(RgbImage& image, int x, int y, std::string_view text, Rgb color, int zoom) {
  constexpr Rgb kOutline = {0, 0, 0};
  for (int dy = -1; dy <= 1; ++dy) {
    for (int dx = -1; dx <= 1; ++dx) {
      if (dx != 0 || dy != 0)
        DrawText(image, x + dx, y + dy, text, kOutline, zoom);
    }
  }
  DrawText(image, x, y, text, color, zoom);
}

}  // namespace brackwyn
