// Feeds arbitrary bytes to the bitmap header reader as a file's start, once
// as the whole file and once as the start of a file long enough for any
// layout, and samples a stored row made of the same bytes with what it
// accepts: the palette lookup trusts the layout it is given.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "core/bitmap_header.hpp"
#include "core/units.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::span<const std::uint8_t> head(data, std::min(size, brackwyn::kBitmapHeadBytes));
  std::string problem;
  (void)brackwyn::ParseBitmapHeader(head, size, &problem);
  std::optional<brackwyn::BitmapLayout> layout =
      brackwyn::ParseBitmapHeader(head, std::uint64_t{1} << 40, &problem);
  if (!layout || size == 0)
    return 0;
  if (layout->rowDataBytes > layout->rowStride || layout->storedRow(0) < 0)
    __builtin_trap();
  std::vector<std::uint8_t> stored(layout->rowStride);
  for (std::size_t i = 0; i < stored.size(); ++i)
    stored[i] = data[i % size];
  std::vector<std::uint8_t> row(brackwyn::kBitmapSide);
  int beyond = brackwyn::SampleStoredRow(*layout, stored.data(), row.data());
  if (beyond >= brackwyn::kBitmapSide)
    __builtin_trap();
  return 0;
}
