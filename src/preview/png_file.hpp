// PNG encoding of preview pictures (png_encoding_libpng.cpp or, without
// libpng, png_encoding_stb.cpp).
#pragma once

#include <cstdint>
#include <filesystem>
#include <string_view>
#include <vector>

#include "preview/rgb_image.hpp"

namespace brackwyn {

// 8-bit RGB, no interlace, the fastest zlib level: a preview is redrawn
// after every run and a few percent of file size are not worth the time.
std::vector<std::uint8_t> EncodePng(const RgbImage& image);

// Writes the file beside its name and renames it over the old one when
// complete. Throws RunError naming `role` and the file.
void WritePngFile(const RgbImage& image, const std::filesystem::path& path, std::string_view role);

}  // namespace brackwyn
