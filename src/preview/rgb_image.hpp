// An 8-bit RGB picture in memory, rows top first, three bytes a pixel: the
// form a PNG file and a screen both take.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace brackwyn {

using Rgb = std::array<std::uint8_t, 3>;

struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;

  RgbImage() = default;
  RgbImage(int w, int h) : width(w), height(h), pixels(std::size_t{3} * w * h, 0) {}

  bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
  std::uint8_t* at(int x, int y) { return pixels.data() + 3 * (std::size_t(y) * width + x); }
  const std::uint8_t* at(int x, int y) const {
    return pixels.data() + 3 * (std::size_t(y) * width + x);
  }
  Rgb pixel(int x, int y) const {
    const std::uint8_t* p = at(x, y);
    return {p[0], p[1], p[2]};
  }
  void set(int x, int y, Rgb color) {
    if (!contains(x, y))
      return;
    std::uint8_t* p = at(x, y);
    p[0] = color[0];
    p[1] = color[1];
    p[2] = color[2];
  }

  bool operator==(const RgbImage&) const = default;
};

// Mixes `color` into the pixel: alpha 0 keeps the pixel, 256 replaces it.
inline void Blend(RgbImage& image, int x, int y, Rgb color, int alpha) {
  if (!image.contains(x, y))
    return;
  std::uint8_t* p = image.at(x, y);
  for (int c = 0; c < 3; ++c)
    p[c] = static_cast<std::uint8_t>((p[c] * (256 - alpha) + color[c] * alpha) >> 8);
}

void FillRect(RgbImage& image, int x, int y, int width, int height, Rgb color);
void BlendRect(RgbImage& image, int x, int y, int width, int height, Rgb color, int alpha);
void OutlineRect(RgbImage& image, int x, int y, int width, int height, Rgb color);

}  // namespace brackwyn
