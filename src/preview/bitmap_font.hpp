// A 5 x 7 pixel font for the text in preview pictures (cell coordinates, the
// legend), so that drawing text needs no font library. The glyphs come from
// the public-domain "misc-fixed" 5x7 bitmap font of the X Window System.
#pragma once

#include <array>
#include <cstdint>

namespace brackwyn {

inline constexpr int kGlyphWidth = 5;  // the advance; the glyph itself uses 4 columns
inline constexpr int kGlyphHeight = 7;

// Seven rows, top first; bit 4 of a row is the leftmost pixel. Characters
// outside printable ASCII draw as '?'.
const std::array<std::uint8_t, kGlyphHeight>& GlyphRows(char c);

}  // namespace brackwyn
