// PNG files for tests, written independently of the code under test: the
// image data in stored (uncompressed) deflate blocks, any header values.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace brackwyn::testing {

inline std::uint32_t Crc32(const std::uint8_t* data, std::size_t size) {
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

inline void PutBigEndian32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8)
    out.push_back(static_cast<std::uint8_t>(value >> shift));
}

inline void PutChunk(std::vector<std::uint8_t>& out, std::string_view type,
                     const std::vector<std::uint8_t>& data) {
  PutBigEndian32(out, static_cast<std::uint32_t>(data.size()));
  std::size_t start = out.size();
  out.insert(out.end(), type.begin(), type.end());
  out.insert(out.end(), data.begin(), data.end());
  PutBigEndian32(out, Crc32(out.data() + start, out.size() - start));
}

// A PNG of `width` x `height` with the given bit depth and colour type, no
// interlacing; `rows` is the filtered image data (a 0 filter byte, then the
// row's bytes, for every row, top row first).
inline std::vector<std::uint8_t> TestPng(std::uint32_t width, std::uint32_t height, int bitDepth,
                                         int colorType, const std::vector<std::uint8_t>& rows) {
  std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<std::uint8_t> header;
  PutBigEndian32(header, width);
  PutBigEndian32(header, height);
  header.insert(header.end(), {static_cast<std::uint8_t>(bitDepth),
                               static_cast<std::uint8_t>(colorType), 0, 0, 0});
  PutChunk(png, "IHDR", header);
  std::vector<std::uint8_t> zlib = {0x78, 0x01};
  std::uint32_t a = 1, b = 0;
  for (std::size_t at = 0; at < rows.size() || at == 0; at += 65535) {
    std::size_t size = std::min<std::size_t>(65535, rows.size() - at);
    bool last = at + size >= rows.size();
    zlib.push_back(last ? 1 : 0);
    zlib.push_back(static_cast<std::uint8_t>(size));
    zlib.push_back(static_cast<std::uint8_t>(size >> 8));
    zlib.push_back(static_cast<std::uint8_t>(~size));
    zlib.push_back(static_cast<std::uint8_t>(~size >> 8));
    zlib.insert(zlib.end(), rows.begin() + static_cast<std::ptrdiff_t>(at),
                rows.begin() + static_cast<std::ptrdiff_t>(at + size));
    if (last)
      break;
  }
  for (std::uint8_t byte : rows) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  PutBigEndian32(zlib, (b << 16) | a);
  PutChunk(png, "IDAT", zlib);
  PutChunk(png, "IEND", {});
  return png;
}

// A gray PNG of 8 or 16 bits from sample(x, r), r the row from the top.
template <typename SampleFn>
std::vector<std::uint8_t> GrayTestPng(int side, int bitDepth, SampleFn sample) {
  const int bytesPerSample = bitDepth / 8;
  std::vector<std::uint8_t> rows;
  rows.reserve(std::size_t(side) * (1 + std::size_t(side) * bytesPerSample));
  for (int r = 0; r < side; ++r) {
    rows.push_back(0);
    for (int x = 0; x < side; ++x) {
      unsigned v = sample(x, r);
      if (bytesPerSample == 2)
        rows.push_back(static_cast<std::uint8_t>(v >> 8));
      rows.push_back(static_cast<std::uint8_t>(v));
    }
  }
  return TestPng(static_cast<std::uint32_t>(side), static_cast<std::uint32_t>(side), bitDepth, 0,
                 rows);
}

}  // namespace brackwyn::testing
