// Nonzero bytes in a block: whether there are any, eight bytes a step (the
// overlap checks of placement) or sixteen (the reading back of its objects),
// and where they are in 64 bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// Whether any of the n bytes from p is nonzero, n a multiple of 16: one
// comparison for the whole block, for blocks that are mostly all zero.
inline bool AnyNonzeroInBlocks(const std::uint8_t* p, std::size_t n) {
#if defined(__SSE2__)
  __m128i bits = _mm_setzero_si128();
  for (std::size_t i = 0; i < n; i += 16)
    bits = _mm_or_si128(bits, _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i)));
  return _mm_movemask_epi8(_mm_cmpeq_epi8(bits, _mm_setzero_si128())) != 0xFFFF;
#else
  return AnyNonzero(p, n);
#endif
}

// Bit i set where p[i] is nonzero, for the 64 bytes from p: where most are
// zero, each nonzero one then costs one bit scan.
inline std::uint64_t NonzeroBytesOf64(const std::uint8_t* p) {
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  std::uint64_t zeros = 0;
  for (int part = 0; part < 4; ++part) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * part));
    const auto bits = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, zero)));
    zeros |= static_cast<std::uint64_t>(bits) << (16 * part);
  }
  return ~zeros;
#else
  std::uint64_t nonzero = 0;
  for (int i = 0; i < 64; ++i)
    nonzero |= static_cast<std::uint64_t>(p[i] != 0) << i;
  return nonzero;
#endif
}

}  // namespace brackwyn
