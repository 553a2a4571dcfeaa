#include "preview/rgb_image.hpp"

#include <algorithm>

namespace brackwyn {

void FillRect(RgbImage& image, int x, int y, int width, int height, Rgb color) {
  BlendRect(image, x, y, width, height, color, 256);
}

void BlendRect(RgbImage& image, int x, int y, int width, int height, Rgb color, int alpha) {
  const int x0 = std::max(x, 0), x1 = std::min(x + width, image.width);
  const int y0 = std::max(y, 0), y1 = std::min(y + height, image.height);
  for (int py = y0; py < y1; ++py) {
    for (int px = x0; px < x1; ++px)
      Blend(image, px, py, color, alpha);
  }
}

void OutlineRect(RgbImage& image, int x, int y, int width, int height, Rgb color) {
  FillRect(image, x, y, width, 1, color);
  FillRect(image, x, y + height - 1, width, 1, color);
  FillRect(image, x, y, 1, height, color);
  FillRect(image, x + width - 1, y, 1, height, color);
}

}  // namespace brackwyn
