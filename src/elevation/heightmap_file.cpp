// Heightmap files, either of two kinds, both storing rows north first (the
// first row is the northern edge, as image editors and terrain generators
// store them), so file row r is grid row 3327 - r:
//
//   PNG: the 8-byte signature, then the IHDR chunk (offset 8: length 13,
//        offset 12: "IHDR", offset 16: width, 20: height, both 32-bit
//        big-endian, 24: bit depth, 25: colour type). Accepted: 3328 x 3328,
//        colour type 0 (gray) at bit depth 8 or 16, any interlacing; other
//        chunks (gamma, transparency) are ignored, since heights are values,
//        not colours. Decoded by libpng (stb_image on Windows).
//   RAW (named .r16 or .raw): no header, 3328 x 3328 unsigned 16-bit
//        little-endian samples, exactly 22,151,168 bytes; the terrain
//        generators' export.
//
// The header is checked before any pixel is decoded, so a file of another
// kind is refused with what it is rather than what its decoder tripped over.
// Export writes the same kinds: 16-bit PNG without interlacing, or RAW.
#include "elevation/heightmap_file.hpp"

#include <algorithm>
#include <bit>
#include <cstring>

#include "core/positioned_file.hpp"
#include "core/replacing_file.hpp"
#include "core/run_error.hpp"
#include "core/whole_file.hpp"
#include "elevation/heightmap_png.hpp"

namespace brackwyn {
namespace {

constexpr std::uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::size_t kPngHeaderBytes = 8 + 8 + 13;

std::uint32_t BigEndian32(const std::uint8_t* at) {
  return (std::uint32_t{at[0]} << 24) | (std::uint32_t{at[1]} << 16) | (std::uint32_t{at[2]} << 8) |
         std::uint32_t{at[3]};
}

std::string ColorTypeName(int colorType) {
  switch (colorType) {
    case 0:
      return "gray";
    case 2:
      return "RGB colour";
    case 3:
      return "palette colour";
    case 4:
      return "gray with alpha";
    case 6:
      return "RGB colour with alpha";
    default:
      return "an unknown colour type";
  }
}

// What a file that is not a PNG looks like, for the message.
std::string WhatItIs(std::span<const std::uint8_t> bytes) {
  if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M')
    return "a bitmap (BMP) picture";
  if (bytes.size() >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF)
    return "a JPEG picture";
  if (bytes.empty())
    return "empty";
  return "not a PNG picture";
}

[[noreturn]] void Refuse(std::string_view role, const std::filesystem::path& path,
                         const std::string& problem) {
  throw RunError("Cannot read " + NameFile(role, path) + ": it " + problem +
                 ". A heightmap must be a 3328 x 3328 grayscale PNG of 8 or 16 bits, or a RAW "
                 "file (.r16 or .raw) of 3328 x 3328 16-bit little-endian samples.");
}

constexpr std::size_t kRawRowBytes = std::size_t{kBitmapSide} * 2;
constexpr int kRawRowsPerRead = 64;

void RequireRawLength(std::uint64_t length, const std::filesystem::path& path,
                      std::string_view role) {
  if (length != kRawHeightmapBytes) {
    Refuse(role, path,
           "is a RAW heightmap by its name but holds " + std::to_string(length) +
               " bytes instead of " + std::to_string(kRawHeightmapBytes));
  }
}

// Rows [first, first + count) of the file, north first, into the layer.
void RawRowsIntoLayer(const std::uint8_t* bytes, int first, int count, HeightmapLayer& layer) {
  for (int r = first; r < first + count; ++r) {
    const std::uint8_t* in = bytes + kRawRowBytes * static_cast<std::size_t>(r - first);
    std::uint16_t* out = layer.row(kBitmapSide - 1 - r);
    if constexpr (std::endian::native == std::endian::little) {
      std::memcpy(out, in, kRawRowBytes);
    } else {
      for (int x = 0; x < kBitmapSide; ++x)
        out[x] = static_cast<std::uint16_t>(in[2 * x] | (in[2 * x + 1] << 8));
    }
  }
}

HeightmapSamples DecodeRaw(std::span<const std::uint8_t> bytes, const std::filesystem::path& path,
                           std::string_view role) {
  RequireRawLength(bytes.size(), path, role);
  HeightmapSamples result;
  result.maximum = 65535;
  result.samples.allocateUnset();
  RawRowsIntoLayer(bytes.data(), 0, kBitmapSide, result.samples);
  return result;
}

// Checked by its length before anything is read, then read in blocks of
// rows through one small buffer rather than as one 22 MB copy.
HeightmapSamples ReadRaw(const std::filesystem::path& path, std::string_view role) {
  PositionedFile file(path, std::string(role), platform::OpenMode::Read, "read");
  file.requireRegularFile("read");
  RequireRawLength(file.size(), path, role);
  HeightmapSamples result;
  result.maximum = 65535;
  result.samples.allocateUnset();
  std::vector<std::uint8_t> block(kRawRowBytes * kRawRowsPerRead);
  for (int first = 0; first < kBitmapSide; first += kRawRowsPerRead) {
    const int count = std::min(kRawRowsPerRead, kBitmapSide - first);
    const std::size_t size = kRawRowBytes * static_cast<std::size_t>(count);
    if (file.readUpTo(block.data(), size, kRawRowBytes * static_cast<std::size_t>(first)) != size)
      file.fail("read", "the file became shorter while it was read");
    RawRowsIntoLayer(block.data(), first, count, result.samples);
  }
  return result;
}

HeightmapSamples DecodePng(std::span<const std::uint8_t> bytes, const std::filesystem::path& path,
                           std::string_view role) {
  std::optional<PngHeader> header = ParsePngHeader(bytes);
  if (!header)
    Refuse(role, path, "is " + WhatItIs(bytes));
  if (header->width != kBitmapSide || header->height != kBitmapSide) {
    Refuse(
        role, path,
        "is " + std::to_string(header->width) + " x " + std::to_string(header->height) + " pixels");
  }
  if (header->colorType != 0 || (header->bitDepth != 8 && header->bitDepth != 16)) {
    Refuse(role, path,
           "is a PNG of colour type " + std::to_string(header->colorType) + " (" +
               ColorTypeName(header->colorType) + ") at bit depth " +
               std::to_string(header->bitDepth));
  }
  HeightmapSamples result;
  result.maximum = header->bitDepth == 16 ? 65535 : 255;
  result.samples.allocateUnset();
  std::vector<std::uint16_t*> rows(kBitmapSide);
  for (int r = 0; r < kBitmapSide; ++r)
    rows[static_cast<std::size_t>(r)] = result.samples.row(kBitmapSide - 1 - r);
  std::string problem =
      DecodeGrayPng(bytes, header->bitDepth, kBitmapSide, kBitmapSide, rows.data());
  if (!problem.empty())
    Refuse(role, path, "cannot be decoded (" + problem + "); it may be truncated or corrupt");
  return result;
}

std::string FileExtension(const std::filesystem::path& path) {
  std::string extension = path.extension().string();
  std::ranges::transform(extension, extension.begin(),
                         [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; });
  return extension;
}

}  // namespace

std::optional<PngHeader> ParsePngHeader(std::span<const std::uint8_t> bytes) {
  if (bytes.size() < kPngHeaderBytes ||
      !std::equal(std::begin(kPngSignature), std::end(kPngSignature), bytes.begin()))
    return std::nullopt;
  if (BigEndian32(bytes.data() + 8) != 13 || std::memcmp(bytes.data() + 12, "IHDR", 4) != 0)
    return std::nullopt;
  PngHeader header;
  header.width = BigEndian32(bytes.data() + 16);
  header.height = BigEndian32(bytes.data() + 20);
  header.bitDepth = bytes[24];
  header.colorType = bytes[25];
  return header;
}

bool IsRawHeightmapName(const std::filesystem::path& path) {
  std::string extension = FileExtension(path);
  return extension == ".r16" || extension == ".raw";
}

HeightmapSamples DecodeHeightmap(std::span<const std::uint8_t> bytes,
                                 const std::filesystem::path& path, std::string_view role) {
  if (IsRawHeightmapName(path))
    return DecodeRaw(bytes, path, role);
  return DecodePng(bytes, path, role);
}

HeightmapSamples ReadHeightmap(const std::filesystem::path& path, std::string_view role) {
  if (IsRawHeightmapName(path))
    return ReadRaw(path, role);
  return DecodeHeightmap(ReadWholeFile(path, role), path, role);
}

std::vector<std::uint8_t> EncodeHeightmap(const HeightmapLayer& samples,
                                          const std::filesystem::path& path) {
  if (IsRawHeightmapName(path)) {
    std::vector<std::uint8_t> bytes(kRawHeightmapBytes);
    for (int r = 0; r < kBitmapSide; ++r) {
      const std::uint16_t* in = samples.row(kBitmapSide - 1 - r);
      std::uint8_t* out = bytes.data() + std::size_t{kBitmapSide} * 2 * r;
      for (int x = 0; x < kBitmapSide; ++x) {
        out[2 * x] = static_cast<std::uint8_t>(in[x]);
        out[2 * x + 1] = static_cast<std::uint8_t>(in[x] >> 8);
      }
    }
    return bytes;
  }
  std::vector<const std::uint16_t*> rows(kBitmapSide);
  for (int r = 0; r < kBitmapSide; ++r)
    rows[static_cast<std::size_t>(r)] = samples.row(kBitmapSide - 1 - r);
  return EncodeGray16Png(rows.data(), kBitmapSide, kBitmapSide);
}

void WriteHeightmap(const HeightmapLayer& samples, const std::filesystem::path& path,
                    std::string_view role) {
  std::vector<std::uint8_t> bytes = EncodeHeightmap(samples, path);
  ReplacingFile out(path, std::string(role));
  out.append(bytes);
  out.commit();
}

}  // namespace brackwyn
