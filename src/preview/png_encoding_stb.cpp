// PNG encoding by stb_image_write, a header-only encoder with its own
// deflate: for builds without libpng, such as the cross build for Windows.
#include <cstdlib>
#include <new>
#include <stdexcept>

#include "preview/png_file.hpp"

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb_image_write.h>

namespace brackwyn {
namespace {

struct Sink {
  std::vector<std::uint8_t>* bytes;
  bool outOfMemory = false;
};

// The encoder is C-style code that frees its buffers only on return: nothing
// may unwind through it.
void Append(void* context, void* data, int size) {
  auto* sink = static_cast<Sink*>(context);
  auto* begin = static_cast<const std::uint8_t*>(data);
  try {
    sink->bytes->insert(sink->bytes->end(), begin, begin + size);
  } catch (const std::bad_alloc&) {
    sink->outOfMemory = true;
  }
}

// As the libpng encoder does: the fastest level and the sub filter, instead
// of trying all five filters on every row. Set once, before the first use;
// the settings are this file's own (STB_IMAGE_WRITE_STATIC).
void ChooseSpeed() {
  static const bool chosen = [] {
    stbi_write_png_compression_level = 1;
    stbi_write_force_png_filter = 1;
    return true;
  }();
  (void)chosen;
}

}  // namespace

std::vector<std::uint8_t> EncodePng(const RgbImage& image) {
  if (image.width <= 0 || image.height <= 0)
    throw std::invalid_argument("a PNG picture needs at least one pixel");
  ChooseSpeed();
  std::vector<std::uint8_t> bytes;
  bytes.reserve(image.pixels.size() / 4);
  Sink sink{&bytes};
  // It fails only when its own buffers cannot be allocated.
  if (stbi_write_png_to_func(Append, &sink, image.width, image.height, 3, image.pixels.data(),
                             3 * image.width) == 0 ||
      sink.outOfMemory)
    throw std::bad_alloc();
  return bytes;
}

}  // namespace brackwyn
