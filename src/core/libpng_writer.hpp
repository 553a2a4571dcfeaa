// The one PNG writer on libpng, for the preview pictures and the exported
// heightmaps. Built only where libpng is found, as are its two callers;
// without it they are written through stb instead.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace brackwyn {

enum class PngColor { kGray, kRgb };

// A PNG without interlacing of `height` rows of `width` pixels, rows[r] the
// row r from the top; 16-bit samples are in the machine's byte order. The
// fastest zlib level and the sub filter: the files are written after every
// run, and the sub filter shrinks smooth terrain well at little cost.
// `expectedBytes` is reserved up front. Throws std::bad_alloc when memory
// runs out and std::runtime_error naming `what` when libpng fails otherwise.
std::vector<std::uint8_t> EncodePngWithLibpng(int width, int height, int bitDepth, PngColor color,
                                              const std::uint8_t* const* rows,
                                              std::size_t expectedBytes, std::string_view what);

}  // namespace brackwyn
