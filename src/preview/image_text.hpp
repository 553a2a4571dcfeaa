// Text in preview pictures, drawn with the built-in 5 x 7 font.
#pragma once

#include <string_view>

#include "preview/rgb_image.hpp"

namespace brackwyn {

// Width and height in pixels of `text` drawn `zoom` times the font's size.
int TextWidth(std::string_view text, int zoom = 1);
int TextHeight(int zoom = 1);

// Draws `text` with its top-left corner at (x, y); parts outside the picture
// are left out.
void DrawText(RgbImage& image, int x, int y, std::string_view text, Rgb color, int zoom = 1);

// The same, with a one-pixel dark outline so that it reads on any ground.
void DrawOutlinedText(RgbImage& image, int x, int y, std::string_view text, Rgb color,
                      int zoom = 1);

}  // namespace brackwyn
