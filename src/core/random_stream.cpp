#include "core/random_stream.hpp"

#include <algorithm>

#include "core/processor_features.hpp"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#if defined(__GNUC__) && defined(__x86_64__)
#include <immintrin.h>
#define BRACKWYN_X86_DISPATCH 1
#endif

namespace brackwyn {
namespace {

constexpr std::uint64_t kMix1 = 0xBF58476D1CE4E5B9ull;
constexpr std::uint64_t kMix2 = 0x94D049BB133111EBull;

// Draws are independent of each other, so the loop vectorises; with GCC the
// instruction set is chosen when the program starts. Every path does the same
// integer arithmetic, so every path gives the same bytes.
[[gnu::always_inline]] inline void TopBytesLoop(std::uint64_t key, std::uint64_t first,
                                                std::uint64_t stride, std::size_t count,
                                                std::uint8_t* out) {
  const std::uint64_t z = key + (first + 1) * RandomStream::kGamma;
  const std::uint64_t step = stride * RandomStream::kGamma;
  for (std::size_t i = 0; i < count; ++i) {
    std::uint64_t m = z + i * step;
    m = (m ^ (m >> 30)) * kMix1;
    m = (m ^ (m >> 27)) * kMix2;
    // Mix's last step, m ^ (m >> 31), leaves the top byte as it is.
    out[i] = static_cast<std::uint8_t>(m >> 56);
  }
}

#if defined(BRACKWYN_X86_DISPATCH) && !defined(__clang__)
// Three versions, chosen once through a pointer on first use. Not
// target_clones: Windows executables have no ifunc, and its resolver runs
// before a sanitizer's runtime is ready.
using TopBytesFunction = void (*)(std::uint64_t, std::uint64_t, std::uint64_t, std::size_t,
                                  std::uint8_t*);

__attribute__((target("arch=x86-64-v4"), optimize("tree-vectorize"))) void TopBytesV4(
    std::uint64_t key, std::uint64_t first, std::uint64_t stride, std::size_t count,
    std::uint8_t* out) {
  TopBytesLoop(key, first, stride, count, out);
}

__attribute__((target("avx2"), optimize("tree-vectorize"))) void TopBytesAvx2(std::uint64_t key,
                                                                              std::uint64_t first,
                                                                              std::uint64_t stride,
                                                                              std::size_t count,
                                                                              std::uint8_t* out) {
  TopBytesLoop(key, first, stride, count, out);
}

__attribute__((optimize("tree-vectorize"))) void TopBytesDefault(std::uint64_t key,
                                                                 std::uint64_t first,
                                                                 std::uint64_t stride,
                                                                 std::size_t count,
                                                                 std::uint8_t* out) {
  TopBytesLoop(key, first, stride, count, out);
}

TopBytesFunction ChooseTopBytes() {
  if (HasAvx512())
    return TopBytesV4;
  if (HasAvx2())
    return TopBytesAvx2;
  return TopBytesDefault;
}

void TopBytesPortable(std::uint64_t key, std::uint64_t first, std::uint64_t stride,
                      std::size_t count, std::uint8_t* out) {
  static const TopBytesFunction chosen = ChooseTopBytes();
  chosen(key, first, stride, count, out);
}
#else
void TopBytesPortable(std::uint64_t key, std::uint64_t first, std::uint64_t stride,
                      std::size_t count, std::uint8_t* out) {
  TopBytesLoop(key, first, stride, count, out);
}
#endif

void MarkLowDraws(const std::uint8_t* bytes, std::size_t count, std::uint8_t bound,
                  std::uint64_t* mask);

#if defined(BRACKWYN_X86_DISPATCH)
// GCC's own shift intrinsics start from a deliberately undefined vector.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#pragma GCC diagnostic ignored "-Wuninitialized"
// The counters of the eight draws from `first` on, which lie `apart` apart:
// draws `stride` apart have counters stride * kGamma apart.
__attribute__((target("avx512f,avx512dq"), always_inline)) inline __m512i FirstCounters(
    std::uint64_t key, std::uint64_t first, std::uint64_t apart) {
  return _mm512_add_epi64(
      _mm512_set1_epi64(static_cast<long long>(key + (first + 1) * RandomStream::kGamma)),
      _mm512_mullo_epi64(_mm512_set_epi64(7, 6, 5, 4, 3, 2, 1, 0),
                         _mm512_set1_epi64(static_cast<long long>(apart))));
}

// Sixteen draws a step in two independent chains: about a quarter faster than
// what the compiler makes of the portable loop. `count` is a multiple of 16.
template <bool kMarkLow>
__attribute__((target("avx512f,avx512dq"))) void TopBytesAvx512(
    std::uint64_t key, std::uint64_t first, std::uint64_t stride, std::size_t count,
    std::uint8_t bound, std::uint8_t* out, std::uint64_t* mask) {
  const std::uint64_t apart = stride * RandomStream::kGamma;
  __m512i low = FirstCounters(key, first, apart);
  __m512i high = _mm512_add_epi64(low, _mm512_set1_epi64(static_cast<long long>(8 * apart)));
  const __m512i step = _mm512_set1_epi64(static_cast<long long>(16 * apart));
  const __m512i mix1 = _mm512_set1_epi64(static_cast<long long>(kMix1));
  const __m512i mix2 = _mm512_set1_epi64(static_cast<long long>(kMix2));
  const __m512i limit = _mm512_set1_epi64(bound);
  std::uint64_t bits = 0;
  for (std::size_t i = 0; i < count; i += 16) {
    __m512i a = _mm512_xor_si512(low, _mm512_srli_epi64(low, 30));
    __m512i b = _mm512_xor_si512(high, _mm512_srli_epi64(high, 30));
    a = _mm512_mullo_epi64(a, mix1);
    b = _mm512_mullo_epi64(b, mix1);
    a = _mm512_xor_si512(a, _mm512_srli_epi64(a, 27));
    b = _mm512_xor_si512(b, _mm512_srli_epi64(b, 27));
    a = _mm512_srli_epi64(_mm512_mullo_epi64(a, mix2), 56);
    b = _mm512_srli_epi64(_mm512_mullo_epi64(b, mix2), 56);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + i), _mm512_cvtepi64_epi8(a));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + i + 8), _mm512_cvtepi64_epi8(b));
    if constexpr (kMarkLow) {
      std::uint64_t pair = _mm512_cmplt_epu64_mask(a, limit) |
                           static_cast<std::uint64_t>(_mm512_cmplt_epu64_mask(b, limit)) << 8;
      bits |= pair << (i % 64);
      if (i % 64 == 48 || i + 16 == count) {
        mask[i / 64] = bits;
        bits = 0;
      }
    }
    low = _mm512_add_epi64(low, step);
    high = _mm512_add_epi64(high, step);
  }
}

// Where byte 7, the top byte, of each 64-bit lane of a pair of vectors goes:
// the pair p of four fills bytes 16p .. 16p + 15, first vector first.
struct TopByteGather {
  alignas(64) std::uint8_t index[4][64];
};

constexpr TopByteGather MakeTopByteGather() {
  TopByteGather gather{};
  for (int pair = 0; pair < 4; ++pair) {
    for (int lane = 0; lane < 16; ++lane) {
      const int source = lane < 8 ? 8 * lane + 7 : 64 + 8 * (lane - 8) + 7;
      gather.index[pair][16 * pair + lane] = static_cast<std::uint8_t>(source);
    }
  }
  return gather;
}

constexpr TopByteGather kTopByteGather = MakeTopByteGather();

// Sixty-four draws a step in eight chains, their top bytes gathered by byte
// permutes into one vector and compared as bytes: about an eighth faster
// than TopBytesAvx512 where the processor has VBMI. `count` is a multiple
// of 64.
template <bool kMarkLow>
__attribute__((target("avx512f,avx512dq,avx512bw,avx512vbmi"))) void TopBytesAvx512Vbmi(
    std::uint64_t key, std::uint64_t first, std::uint64_t stride, std::size_t count,
    std::uint8_t bound, std::uint8_t* out, std::uint64_t* mask) {
  constexpr int kChains = 8;
  const std::uint64_t apart = stride * RandomStream::kGamma;
  __m512i counters[kChains];
  counters[0] = FirstCounters(key, first, apart);
  for (int chain = 1; chain < kChains; ++chain) {
    counters[chain] =
        _mm512_add_epi64(counters[chain - 1], _mm512_set1_epi64(static_cast<long long>(8 * apart)));
  }
  const __m512i step = _mm512_set1_epi64(static_cast<long long>(64 * apart));
  const __m512i mix1 = _mm512_set1_epi64(static_cast<long long>(kMix1));
  const __m512i mix2 = _mm512_set1_epi64(static_cast<long long>(kMix2));
  const __m512i limit = _mm512_set1_epi8(static_cast<char>(bound));
  __m512i gather[4];
  for (int pair = 0; pair < 4; ++pair)
    gather[pair] = _mm512_load_si512(kTopByteGather.index[pair]);
  for (std::size_t i = 0; i < count; i += 64) {
    __m512i mixed[kChains];
    for (int chain = 0; chain < kChains; ++chain) {
      __m512i m = counters[chain];
      m = _mm512_mullo_epi64(_mm512_xor_si512(m, _mm512_srli_epi64(m, 30)), mix1);
      m = _mm512_mullo_epi64(_mm512_xor_si512(m, _mm512_srli_epi64(m, 27)), mix2);
      mixed[chain] = m;  // Mix's last step leaves the top byte as it is
      counters[chain] = _mm512_add_epi64(counters[chain], step);
    }
    __m512i bytes[4];
    for (int pair = 0; pair < 4; ++pair) {
      bytes[pair] = _mm512_maskz_permutex2var_epi8(0xFFFFull << (16 * pair), mixed[2 * pair],
                                                   gather[pair], mixed[2 * pair + 1]);
    }
    const __m512i all =
        _mm512_or_si512(_mm512_or_si512(bytes[0], bytes[1]), _mm512_or_si512(bytes[2], bytes[3]));
    _mm512_storeu_si512(out + i, all);
    if constexpr (kMarkLow)
      mask[i / 64] = _mm512_cmplt_epu8_mask(all, limit);
  }
}
#pragma GCC diagnostic pop

// a * b modulo 2^64 in each 64-bit lane, from 32-bit multiplies: AVX2 has
// no 64-bit one. `bLow` and `bHigh` hold b's low and high halves.
__attribute__((target("avx2"), always_inline)) inline __m256i MultiplyLow64(__m256i a, __m256i bLow,
                                                                            __m256i bHigh) {
  const __m256i cross = _mm256_add_epi64(_mm256_mul_epu32(_mm256_srli_epi64(a, 32), bLow),
                                         _mm256_mul_epu32(a, bHigh));
  return _mm256_add_epi64(_mm256_mul_epu32(a, bLow), _mm256_slli_epi64(cross, 32));
}

// Where each of eight vectors of four draws puts its top bytes: vector k
// holds draws k, 8 + k, 16 + k and 24 + k, so byte 7 of each 16-byte half goes
// to byte k and byte 15 to byte 8 + k of that half; the others are zeroed.
struct TopByteShuffles {
  alignas(32) std::uint8_t index[8][32];
};

constexpr TopByteShuffles MakeTopByteShuffles() {
  TopByteShuffles shuffles{};
  for (int k = 0; k < 8; ++k) {
    for (int at = 0; at < 32; ++at) {
      const int inHalf = at % 16;
      shuffles.index[k][at] = inHalf == k       ? 7
                              : inHalf == 8 + k ? 15
                                                : static_cast<std::uint8_t>(0x80);
    }
  }
  return shuffles;
}

constexpr TopByteShuffles kTopByteShuffles = MakeTopByteShuffles();

// Thirty-two draws a step in eight vectors of four, their top bytes moved to
// their places by byte shuffles, which leave the ports of the multiplies and
// shifts free, and combined by OR; the low draws are marked on the way. About
// a third less time per draw than what the compiler makes of the portable
// loop. `count` is a multiple of 32.
template <bool kMarkLow>
__attribute__((target("avx2"))) void TopBytesAvx2Steps(std::uint64_t key, std::uint64_t first,
                                                       std::uint64_t stride, std::size_t count,
                                                       std::uint8_t bound, std::uint8_t* out,
                                                       std::uint64_t* mask) {
  constexpr int kVectors = 8;
  const std::uint64_t apart = stride * RandomStream::kGamma;
  const __m256i lanes =
      _mm256_set_epi64x(static_cast<long long>(24 * apart), static_cast<long long>(16 * apart),
                        static_cast<long long>(8 * apart), 0);
  const __m256i next = _mm256_set1_epi64x(static_cast<long long>(apart));
  __m256i counters[kVectors];
  counters[0] = _mm256_add_epi64(
      _mm256_set1_epi64x(static_cast<long long>(key + (first + 1) * RandomStream::kGamma)), lanes);
  for (int k = 1; k < kVectors; ++k)
    counters[k] = _mm256_add_epi64(counters[k - 1], next);
  const __m256i step = _mm256_set1_epi64x(static_cast<long long>(32 * apart));
  const __m256i mix1Low = _mm256_set1_epi64x(static_cast<long long>(kMix1 & 0xFFFFFFFFu));
  const __m256i mix1High = _mm256_set1_epi64x(static_cast<long long>(kMix1 >> 32));
  const __m256i mix2Low = _mm256_set1_epi64x(static_cast<long long>(kMix2 & 0xFFFFFFFFu));
  const __m256i mix2High = _mm256_set1_epi64x(static_cast<long long>(kMix2 >> 32));
  const __m256i limit = _mm256_set1_epi8(static_cast<char>(bound));
  std::uint64_t bits = 0;
  for (std::size_t i = 0; i < count; i += 32) {
    __m256i all = _mm256_setzero_si256();
    for (int k = 0; k < kVectors; ++k) {
      __m256i m = counters[k];
      m = MultiplyLow64(_mm256_xor_si256(m, _mm256_srli_epi64(m, 30)), mix1Low, mix1High);
      m = MultiplyLow64(_mm256_xor_si256(m, _mm256_srli_epi64(m, 27)), mix2Low, mix2High);
      // Mix's last step leaves the top byte as it is.
      const __m256i index =
          _mm256_load_si256(reinterpret_cast<const __m256i*>(kTopByteShuffles.index[k]));
      all = _mm256_or_si256(all, _mm256_shuffle_epi8(m, index));
      counters[k] = _mm256_add_epi64(counters[k], step);
    }
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), all);
    if constexpr (kMarkLow) {
      // bound - byte saturates to 0 exactly when the byte is not below the bound
      const auto notBelow = static_cast<std::uint32_t>(_mm256_movemask_epi8(
          _mm256_cmpeq_epi8(_mm256_subs_epu8(limit, all), _mm256_setzero_si256())));
      bits |= static_cast<std::uint64_t>(~notBelow) << (i % 64);
      if (i % 64 == 32 || i + 32 == count) {
        mask[i / 64] = bits;
        bits = 0;
      }
    }
  }
}

enum class VectorDraws { kNone, kAvx2, kAvx512, kAvx512Vbmi };

VectorDraws ChooseVectorDraws() {
  if (HasAvx512Vbmi())
    return VectorDraws::kAvx512Vbmi;
  if (HasAvx512())
    return VectorDraws::kAvx512;
  if (HasAvx2())
    return VectorDraws::kAvx2;
  return VectorDraws::kNone;
}

// The widest path first, then the 16-draw steps for the rest; `count` is a
// multiple of 16.
template <bool kMarkLow>
bool TopBytesVectorised(std::uint64_t key, std::uint64_t first, std::uint64_t stride,
                        std::size_t count, std::uint8_t bound, std::uint8_t* out,
                        std::uint64_t* mask) {
  static const VectorDraws available = ChooseVectorDraws();
  if (available == VectorDraws::kNone)
    return false;
  std::size_t done = 0;
  if (available == VectorDraws::kAvx2) {
    // A last half step of 16 draws costs the portable loop less than a whole one.
    done = count / 32 * 32;
    if (done > 0)
      TopBytesAvx2Steps<kMarkLow>(key, first, stride, done, bound, out, mask);
    if (done < count) {
      TopBytesPortable(key, first + done * stride, stride, count - done, out + done);
      if constexpr (kMarkLow) {
        std::uint64_t tail = 0;
        MarkLowDraws(out + done, count - done, bound, &tail);
        if (done % 64 == 0)
          mask[done / 64] = tail;
        else
          mask[done / 64] |= tail << 32;
      }
    }
    return true;
  }
  if (available == VectorDraws::kAvx512Vbmi) {
    done = count / 64 * 64;
    TopBytesAvx512Vbmi<kMarkLow>(key, first, stride, done, bound, out, mask);
  }
  if (done < count) {
    TopBytesAvx512<kMarkLow>(key, first + done * stride, stride, count - done, bound, out + done,
                             kMarkLow ? mask + done / 64 : nullptr);
  }
  return true;
}
#endif

// Bit i of mask[i / 64] is set when bytes[i] < bound, and the bits of a last
// word beyond count are clear; count is a multiple of 16.
void MarkLowDraws(const std::uint8_t* bytes, std::size_t count, std::uint8_t bound,
                  std::uint64_t* mask) {
  for (std::size_t word = 0; word * 64 < count; ++word) {
    std::uint64_t bits = 0;
    const std::size_t inWord = std::min<std::size_t>(64, count - word * 64);
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    const __m128i limit = _mm_set1_epi8(static_cast<char>(bound));
    for (std::size_t part = 0; part < inWord / 16; ++part) {
      __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + word * 64 + 16 * part));
      // bound - byte saturates to 0 exactly when the byte is not below the bound
      auto notBelow =
          static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_subs_epu8(limit, d), zero)));
      bits |= static_cast<std::uint64_t>(~notBelow & 0xFFFFu) << (16 * part);
    }
#else
    for (std::size_t i = 0; i < inWord; ++i)
      bits |= static_cast<std::uint64_t>(bytes[word * 64 + i] < bound) << i;
#endif
    mask[word] = bits;
  }
}

}  // namespace

const char* RandomStream::BulkInstructionSet() {
#if defined(BRACKWYN_X86_DISPATCH)
  if (HasAvx512Vbmi())
    return "AVX-512 with VBMI";
  if (HasAvx512())
    return "AVX-512";
#if !defined(__clang__)
  if (HasAvx2())
    return "AVX2";
#endif
#endif
#if defined(__SSE2__)
  return "SSE2";
#else
  return "portable C++";
#endif
}

void RandomStream::MarkLow(const std::uint8_t* bytes, std::size_t count, std::uint8_t bound,
                           std::uint64_t* mask) {
  MarkLowDraws(bytes, count, bound, mask);
}

void RandomStream::TopBytesMarkingLow(std::uint64_t key, std::uint64_t first, std::size_t count,
                                      std::uint8_t bound, std::uint8_t* out, std::uint64_t* mask) {
  TopBytesStridedMarkingLow(key, first, 1, count, bound, out, mask);
}

void RandomStream::TopBytesMarkingLowPortable(std::uint64_t key, std::uint64_t first,
                                              std::size_t count, std::uint8_t bound,
                                              std::uint8_t* out, std::uint64_t* mask) {
  TopBytesStridedMarkingLowPortable(key, first, 1, count, bound, out, mask);
}

void RandomStream::TopBytesStridedMarkingLow(std::uint64_t key, std::uint64_t first,
                                             std::uint64_t stride, std::size_t count,
                                             std::uint8_t bound, std::uint8_t* out,
                                             std::uint64_t* mask) {
#if defined(BRACKWYN_X86_DISPATCH)
  if (TopBytesVectorised<true>(key, first, stride, count, bound, out, mask))
    return;
#endif
  TopBytesStridedMarkingLowPortable(key, first, stride, count, bound, out, mask);
}

void RandomStream::TopBytesStridedMarkingLowPortable(std::uint64_t key, std::uint64_t first,
                                                     std::uint64_t stride, std::size_t count,
                                                     std::uint8_t bound, std::uint8_t* out,
                                                     std::uint64_t* mask) {
  TopBytesPortable(key, first, stride, count, out);
  MarkLowDraws(out, count, bound, mask);
}

void RandomStream::TopBytes(std::uint64_t key, std::uint64_t first, std::size_t count,
                            std::uint8_t* out) {
#if defined(BRACKWYN_X86_DISPATCH)
  const std::size_t whole = count / 16 * 16;
  if (TopBytesVectorised<false>(key, first, 1, whole, 0, out, nullptr)) {
    first += whole;
    out += whole;
    count -= whole;
  }
#endif
  TopBytesPortable(key, first, 1, count, out);
}

}  // namespace brackwyn
