#include "core/libpng_writer.hpp"

#include <png.h>
#include <zlib.h>

#include <bit>
#include <csetjmp>
#include <new>
#include <stdexcept>
#include <string>

namespace brackwyn {
namespace {

struct Sink {
  std::vector<std::uint8_t>* bytes;
  bool outOfMemory = false;
};

// libpng is C: nothing may unwind through it, so failures are flagged here
// and raised through png_error.
void Append(png_structp png, png_bytep data, png_size_t size) {
  auto* sink = static_cast<Sink*>(png_get_io_ptr(png));
  try {
    sink->bytes->insert(sink->bytes->end(), data, data + size);
  } catch (const std::bad_alloc&) {
    sink->outOfMemory = true;
    png_error(png, "out of memory");
  }
}

void Flush(png_structp) {}

// Kept free of C++ objects with destructors, because png_error longjmps out
// of the calls below.
bool Encode(Sink& sink, int width, int height, int bitDepth, int colorType, png_bytep* rows) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (png == nullptr)
    return false;
  png_infop info = png_create_info_struct(png);
  if (info == nullptr || setjmp(png_jmpbuf(png)) != 0) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_set_write_fn(png, &sink, Append, Flush);
  png_set_compression_level(png, Z_BEST_SPEED);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
  png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height),
               bitDepth, colorType, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_BASE,
               PNG_FILTER_TYPE_BASE);
  png_set_rows(png, info, rows);
  const bool swap = bitDepth == 16 && std::endian::native == std::endian::little;
  png_write_png(png, info, swap ? PNG_TRANSFORM_SWAP_ENDIAN : PNG_TRANSFORM_IDENTITY, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

std::vector<std::uint8_t> EncodePngWithLibpng(int width, int height, int bitDepth, PngColor color,
                                              const std::uint8_t* const* rows,
                                              std::size_t expectedBytes, std::string_view what) {
  if (width <= 0 || height <= 0)
    throw std::invalid_argument("a PNG picture needs at least one pixel");
  std::vector<png_bytep> rowPointers(static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y)
    rowPointers[static_cast<std::size_t>(y)] = const_cast<png_bytep>(rows[y]);
  std::vector<std::uint8_t> bytes;
  bytes.reserve(expectedBytes);
  Sink sink{&bytes};
  const int colorType = color == PngColor::kRgb ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_GRAY;
  if (!Encode(sink, width, height, bitDepth, colorType, rowPointers.data())) {
    if (sink.outOfMemory)
      throw std::bad_alloc();
    throw std::runtime_error("libpng could not encode " + std::string(what));
  }
  return bytes;
}

}  // namespace brackwyn
