// PNG coding of heightmaps: libpng where it is found
// (heightmap_png_libpng.cpp), stb_image and our own 16-bit writer otherwise
// (heightmap_png_stb.cpp), as in the cross build for Windows.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace brackwyn {

// Decodes a gray PNG whose header has been checked (colour type 0, bit depth
// 8 or 16, `width` x `height`): rows[r] gets the file's row r, top row first,
// as 16-bit samples of the file's own values (0..255 or 0..65535). Returns
// what is wrong with the file, or an empty string.
std::string DecodeGrayPng(std::span<const std::uint8_t> file, int bitDepth, int width, int height,
                          std::uint16_t* const* rows);

// A 16-bit gray PNG without interlacing of `height` rows of `width` samples,
// rows[r] the row r from the top.
std::vector<std::uint8_t> EncodeGray16Png(const std::uint16_t* const* rows, int width, int height);

}  // namespace brackwyn
