// The run's pseudo-random stream, shared by object placement and the plugin
// writer. Counter-based: draw n is a pure function of the seed and n (the
// SplitMix64 finalizer applied to a seed-keyed Weyl counter), so the sequence
// is the same on every machine and compiler, draws can be skipped in O(1) and
// neighbouring draws are uncorrelated.
#pragma once

#include <cstddef>
#include <cstdint>

namespace brackwyn {

class RandomStream {
 public:
  static constexpr std::uint64_t kGamma = 0x9E3779B97F4A7C15ull;

  static constexpr std::uint64_t Mix(std::uint64_t z) {
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }

  // The seed selects the stream: its 32 bits, mixed, become the counter's key.
  void seed(std::int32_t seed) {
    key_ = Mix(static_cast<std::uint64_t>(static_cast<std::uint32_t>(seed)) ^ kGamma);
    counter_ = 0;
  }

  // The top 24 bits of draw n: the draw's value is bits / 2^24.
  static constexpr std::uint32_t Bits24(std::uint64_t key, std::uint64_t n) {
    return static_cast<std::uint32_t>(Mix(key + (n + 1) * kGamma) >> 40);
  }

  // The top 8 bits of draws first .. first + count - 1 into out[0 .. count - 1],
  // computed many at a time: floor(256 r) for each draw r.
  static void TopBytes(std::uint64_t key, std::uint64_t first, std::size_t count,
                       std::uint8_t* out);

  // TopBytes, and bit i of mask[i / 64] set when out[i] < bound. `count` is a
  // multiple of 64.
  static void TopBytesMarkingLow(std::uint64_t key, std::uint64_t first, std::size_t count,
                                 std::uint8_t bound, std::uint8_t* out, std::uint64_t* mask);
  // The same without the hand-written vector paths (AVX2, AVX-512): what
  // machines without them run, so that tests can compare the two anywhere.
  static void TopBytesMarkingLowPortable(std::uint64_t key, std::uint64_t first, std::size_t count,
                                         std::uint8_t bound, std::uint8_t* out,
                                         std::uint64_t* mask);

  // Bit i of mask[i / 64] set when bytes[i] < bound; `count` is a multiple of
  // 16 and the bits of the last mask word beyond it are clear.
  static void MarkLow(const std::uint8_t* bytes, std::size_t count, std::uint8_t bound,
                      std::uint64_t* mask);

  // TopBytesMarkingLow over every stride-th draw: out[i] is the top byte of
  // draw first + i * stride. `count` is a multiple of 16; the bits of the last
  // mask word beyond it are clear.
  static void TopBytesStridedMarkingLow(std::uint64_t key, std::uint64_t first,
                                        std::uint64_t stride, std::size_t count, std::uint8_t bound,
                                        std::uint8_t* out, std::uint64_t* mask);
  static void TopBytesStridedMarkingLowPortable(std::uint64_t key, std::uint64_t first,
                                                std::uint64_t stride, std::size_t count,
                                                std::uint8_t bound, std::uint8_t* out,
                                                std::uint64_t* mask);

  // What the bulk draws above run with on this processor, for benchmarks to
  // name.
  static const char* BulkInstructionSet();

  std::uint32_t nextBits24() { return Bits24(key_, counter_++); }

  // Uniform on [0, 1) in steps of 2^-24, exact in single precision.
  float next() { return static_cast<float>(nextBits24()) * 0x1p-24f; }

  void skip(std::uint64_t draws) { counter_ += draws; }
  std::uint64_t key() const { return key_; }
  std::uint64_t position() const { return counter_; }

 private:
  std::uint64_t key_ = Mix(kGamma);
  std::uint64_t counter_ = 0;
};

}  // namespace brackwyn
