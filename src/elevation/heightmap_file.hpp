// Heightmap files: the one 16-bit (or 8-bit) grayscale picture that may
// replace the three height bitmaps, and that export writes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "model/height_grid.hpp"

namespace brackwyn {

inline constexpr std::size_t kRawHeightmapBytes = std::size_t{kBitmapSide} * kBitmapSide * 2;

// What the IHDR chunk of a PNG says, read from the bytes alone.
struct PngHeader {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  int bitDepth = 0;
  int colorType = 0;
};

// The header of a PNG file, or nothing when the bytes do not start with a
// PNG signature and an IHDR chunk.
std::optional<PngHeader> ParsePngHeader(std::span<const std::uint8_t> bytes);

// Whether the name ends in .r16 or .raw (any case): a RAW heightmap.
bool IsRawHeightmapName(const std::filesystem::path& path);

// A heightmap's samples with row 0 at the bottom, as every grid here, and the
// value of white: 255 for an 8-bit PNG, 65535 otherwise.
struct HeightmapSamples {
  HeightmapLayer samples;
  int maximum = 0;
};

// Checks a heightmap file's bytes from its header, then decodes them. Throws
// RunError naming `role` and `path` for anything but a 3328 x 3328 gray PNG
// of 8 or 16 bits or a RAW file of exactly 3328 x 3328 16-bit samples.
HeightmapSamples DecodeHeightmap(std::span<const std::uint8_t> bytes,
                                 const std::filesystem::path& path, std::string_view role);

// Reads and decodes the heightmap file at `path`.
HeightmapSamples ReadHeightmap(const std::filesystem::path& path, std::string_view role);

// The file bytes of a 16-bit heightmap (PNG or, by the name, RAW) of
// `samples`, row 0 at the bottom.
std::vector<std::uint8_t> EncodeHeightmap(const HeightmapLayer& samples,
                                          const std::filesystem::path& path);

// Writes the heightmap beside `path` and renames it over any old file when
// complete.
void WriteHeightmap(const HeightmapLayer& samples, const std::filesystem::path& path,
                    std::string_view role);

}  // namespace brackwyn
