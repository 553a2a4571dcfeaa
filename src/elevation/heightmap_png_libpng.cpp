// Heightmap PNGs by libpng, where it is installed.
#include <png.h>

#include <algorithm>
#include <bit>
#include <csetjmp>
#include <cstring>

#include "core/libpng_writer.hpp"
#include "elevation/heightmap_png.hpp"

namespace brackwyn {
namespace {

struct Source {
  const std::uint8_t* data;
  std::size_t size;
  std::size_t at = 0;
};

// libpng is C: nothing may unwind through it, so its messages are kept here
// and the calls below return through its longjmp.
struct Failure {
  char message[200] = {};
};

void Read(png_structp png, png_bytep data, png_size_t size) {
  auto* source = static_cast<Source*>(png_get_io_ptr(png));
  if (source->size - source->at < size)
    png_error(png, "the file ends before the picture does");
  std::memcpy(data, source->data + source->at, size);
  source->at += size;
}

void KeepMessage(png_structp png, png_const_charp message) {
  auto* failure = static_cast<Failure*>(png_get_error_ptr(png));
  std::strncpy(failure->message, message, sizeof failure->message - 1);
  png_longjmp(png, 1);
}

void IgnoreWarning(png_structp, png_const_charp) {}

// Kept free of C++ objects with destructors, because png_error longjmps out
// of the calls below.
bool Decode(Source& source, Failure& failure, int bitDepth, png_bytep* rows) {
  png_structp png =
      png_create_read_struct(PNG_LIBPNG_VER_STRING, &failure, KeepMessage, IgnoreWarning);
  if (png == nullptr)
    return false;
  png_infop info = png_create_info_struct(png);
  if (info == nullptr || setjmp(png_jmpbuf(png)) != 0) {
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  png_set_read_fn(png, &source, Read);
  png_read_info(png, info);
  if (bitDepth == 16 && std::endian::native == std::endian::little)
    png_set_swap(png);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  png_read_image(png, rows);
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  return true;
}

}  // namespace

std::string DecodeGrayPng(std::span<const std::uint8_t> file, int bitDepth, int width, int height,
                          std::uint16_t* const* rows) {
  std::vector<png_bytep> rowBytes(static_cast<std::size_t>(height));
  for (int r = 0; r < height; ++r)
    rowBytes[static_cast<std::size_t>(r)] = reinterpret_cast<png_bytep>(rows[r]);
  Source source{file.data(), file.size()};
  Failure failure;
  if (!Decode(source, failure, bitDepth, rowBytes.data()))
    return failure.message[0] != 0 ? failure.message : "libpng could not read it";
  if (bitDepth == 8) {
    // Each row holds its bytes in its first half; widened from the back, in place.
    for (int r = 0; r < height; ++r) {
      const auto* bytes = reinterpret_cast<const std::uint8_t*>(rows[r]);
      for (int x = width - 1; x >= 0; --x)
        rows[r][x] = bytes[x];
    }
  }
  return {};
}

std::vector<std::uint8_t> EncodeGray16Png(const std::uint16_t* const* rows, int width, int height) {
  std::vector<const std::uint8_t*> rowBytes(static_cast<std::size_t>(std::max(height, 0)));
  for (int r = 0; r < height; ++r)
    rowBytes[static_cast<std::size_t>(r)] = reinterpret_cast<const std::uint8_t*>(rows[r]);
  return EncodePngWithLibpng(width, height, 16, PngColor::kGray, rowBytes.data(), 0,
                             "the heightmap");
}

}  // namespace brackwyn
