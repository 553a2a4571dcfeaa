// Whether a block of bytes holds anything but zeros, eight bytes a step: the
// test behind the overlap checks of placement and the reading back of its
// objects.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace brackwyn {

inline bool AnyNonzero(const std::uint8_t* p, std::size_t n) {
  auto load64 = [](const std::uint8_t* at) {
    std::uint64_t value;
    std::memcpy(&value, at, sizeof value);
    return value;
  };
  auto load32 = [](const std::uint8_t* at) {
    std::uint32_t value;
    std::memcpy(&value, at, sizeof value);
    return value;
  };
  if (n >= 8) {
    // The last word overlaps the loop's words when n is not a multiple of 8.
    std::uint64_t bits = load64(p + n - 8);
    for (std::size_t i = 0; i + 8 <= n; i += 8)
      bits |= load64(p + i);
    return bits != 0;
  }
  if (n >= 4)
    return (load32(p) | load32(p + n - 4)) != 0;
  std::uint32_t bits = 0;
  for (std::size_t i = 0; i < n; ++i)
    bits |= p[i];
  return bits != 0;
}

}  // namespace brackwyn
