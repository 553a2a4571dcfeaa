// Heightmap PNGs without libpng, as in the cross build for Windows: decoded
// by stb_image; written by our own 16-bit gray writer, because
// stb_image_write writes only 8 bits, with stb's deflate for the image data.
//
// The writer's file: the signature; IHDR (width, height, bit depth 16,
// colour type 0, deflate, adaptive filtering, no interlace); one IDAT of
// the zlib stream of all rows, each a filter byte 1 (sub: each sample byte
// less the byte two before it, which suits smooth terrain) and its samples
// big-endian; IEND. Each chunk is its big-endian length, type, data and CRC.
#include <array>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <stdexcept>

#include "elevation/heightmap_png.hpp"

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#include <stb_image.h>

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb_image_write.h>

namespace brackwyn {
namespace {

struct StbFree {
  void operator()(void* data) const { std::free(data); }
};

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size) {
  static const std::array<std::uint32_t, 256> table = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k)
        c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  std::uint32_t crc = 0xFFFFFFFFu;
  for (std::size_t i = 0; i < size; ++i)
    crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

void PutBigEndian32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8)
    out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void PutChunk(std::vector<std::uint8_t>& out, const char* type, const std::uint8_t* data,
              std::size_t size) {
  PutBigEndian32(out, static_cast<std::uint32_t>(size));
  std::size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data, data + size);
  PutBigEndian32(out, Crc32(out.data() + start, out.size() - start));
}

}  // namespace

std::string DecodeGrayPng(std::span<const std::uint8_t> file, int bitDepth, int width, int height,
                          std::uint16_t* const* rows) {
  if (file.size() > static_cast<std::size_t>(INT32_MAX))
    return "the file is too large";
  int w = 0, h = 0, channels = 0;
  const auto length = static_cast<int>(file.size());
  if (bitDepth == 16) {
    std::unique_ptr<stbi_us, StbFree> samples(
        stbi_load_16_from_memory(file.data(), length, &w, &h, &channels, 1));
    if (!samples || w != width || h != height)
      return samples ? "its size changed while decoding" : stbi_failure_reason();
    for (int r = 0; r < height; ++r)
      std::memcpy(rows[r], samples.get() + std::size_t(width) * r, std::size_t(width) * 2);
    return {};
  }
  std::unique_ptr<stbi_uc, StbFree> samples(
      stbi_load_from_memory(file.data(), length, &w, &h, &channels, 1));
  if (!samples || w != width || h != height)
    return samples ? "its size changed while decoding" : stbi_failure_reason();
  for (int r = 0; r < height; ++r) {
    const stbi_uc* in = samples.get() + std::size_t(width) * r;
    for (int x = 0; x < width; ++x)
      rows[r][x] = in[x];
  }
  return {};
}

std::vector<std::uint8_t> EncodeGray16Png(const std::uint16_t* const* rows, int width, int height) {
  if (width <= 0 || height <= 0)
    throw std::invalid_argument("a PNG picture needs at least one pixel");
  const std::size_t rowBytes = 1 + std::size_t(width) * 2;
  std::vector<std::uint8_t> filtered(rowBytes * std::size_t(height));
  for (int r = 0; r < height; ++r) {
    std::uint8_t* out = filtered.data() + rowBytes * std::size_t(r);
    out[0] = 1;  // sub
    int previous = 0;
    for (int x = 0; x < width; ++x) {
      int v = rows[r][x];
      int before = x > 0 ? previous : 0;
      out[1 + 2 * x] = static_cast<std::uint8_t>((v >> 8) - (before >> 8));
      out[2 + 2 * x] = static_cast<std::uint8_t>((v & 0xFF) - (before & 0xFF));
      previous = v;
    }
  }
  int compressedSize = 0;
  std::unique_ptr<unsigned char, StbFree> compressed(
      stbi_zlib_compress(filtered.data(), static_cast<int>(filtered.size()), &compressedSize, 1));
  if (!compressed)
    throw std::bad_alloc();
  std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<std::uint8_t> header;
  PutBigEndian32(header, static_cast<std::uint32_t>(width));
  PutBigEndian32(header, static_cast<std::uint32_t>(height));
  header.insert(header.end(), {16, 0, 0, 0, 0});
  PutChunk(png, "IHDR", header.data(), header.size());
  PutChunk(png, "IDAT", compressed.get(), static_cast<std::size_t>(compressedSize));
  PutChunk(png, "IEND", nullptr, 0);
  return png;
}

}  // namespace brackwyn
