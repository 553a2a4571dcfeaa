#include "core/random_stream.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace brackwyn {
namespace {

// The stream is part of the output: a change here changes every layout.
TEST(RandomStream, SequenceIsFixed) {
  RandomStream random;
  random.seed(0);
  std::vector<std::uint32_t> seed0;
  for (int i = 0; i < 4; ++i)
    seed0.push_back(random.nextBits24());
  random.seed(-123456);
  std::vector<std::uint32_t> other;
  for (int i = 0; i < 4; ++i)
    other.push_back(random.nextBits24());
  EXPECT_EQ(seed0, (std::vector<std::uint32_t>{10946269, 11764387, 6494865, 11012794}));
  EXPECT_EQ(other, (std::vector<std::uint32_t>{4896869, 7299463, 1114227, 5339082}));
}

TEST(RandomStream, DrawsAreMultiplesOf2ToTheMinus24InZeroToOne) {
  RandomStream random;
  random.seed(42);
  for (int i = 0; i < 100000; ++i) {
    float r = random.next();
    ASSERT_GE(r, 0.0f);
    ASSERT_LT(r, 1.0f);
    ASSERT_EQ(r * 0x1p24f, static_cast<float>(static_cast<std::uint32_t>(r * 0x1p24f)));
  }
  EXPECT_EQ(random.position(), 100000u);
}

TEST(RandomStream, SkipEqualsDrawingAndSeedsSelectStreams) {
  RandomStream a, b, c;
  a.seed(7);
  b.seed(7);
  c.seed(8);
  for (int i = 0; i < 1000; ++i)
    a.next();
  b.skip(1000);
  EXPECT_EQ(a.nextBits24(), b.nextBits24());
  int same = 0;
  a.seed(7);
  for (int i = 0; i < 1000; ++i)
    same += a.nextBits24() == c.nextBits24();
  EXPECT_LT(same, 3);
}

TEST(RandomStream, TopBytesInBulkEqualSingleDraws) {
  RandomStream random;
  random.seed(2024);
  std::vector<std::uint8_t> bytes(1100);
  for (std::uint64_t first : {0ull, 1ull, 17ull, 123456789ull, (1ull << 40) + 3}) {
    for (std::size_t count : {0u, 1u, 7u, 8u, 33u, 1024u, 1099u}) {
      RandomStream::TopBytes(random.key(), first, count, bytes.data());
      for (std::size_t i = 0; i < count; ++i)
        ASSERT_EQ(bytes[i], RandomStream::Bits24(random.key(), first + i) >> 16)
            << first << " " << i;
    }
  }
}

TEST(RandomStream, LowDrawMaskMarksTheBytesBelowTheBound) {
  RandomStream random;
  random.seed(-9);
  std::vector<std::uint8_t> bytes(1024);
  std::vector<std::uint64_t> mask(16);
  // The hand-written vector path where there is one, and the portable one.
  for (auto fill : {&RandomStream::TopBytesMarkingLow, &RandomStream::TopBytesMarkingLowPortable}) {
    for (std::uint8_t bound : {0, 1, 3, 128, 255}) {
      std::fill(mask.begin(), mask.end(), 0xA5A5A5A5A5A5A5A5ull);
      fill(random.key(), 77, 1024, bound, bytes.data(), mask.data());
      for (std::size_t i = 0; i < 1024; ++i) {
        ASSERT_EQ(bytes[i], RandomStream::Bits24(random.key(), 77 + i) >> 16);
        ASSERT_EQ((mask[i / 64] >> (i % 64)) & 1, bytes[i] < bound ? 1u : 0u)
            << int{bound} << " " << i;
      }
    }
  }
}

// Every stride-th draw, as a pixel's few qualifying kinds take theirs, on the
// hand-written vector path where there is one and on the portable one;
// counts that end inside a mask word leave the rest of the word clear.
TEST(RandomStream, StridedTopBytesAndLowMaskEqualSingleDraws) {
  struct Case {
    std::uint64_t first, stride;
    std::size_t count;
    std::uint8_t bound;
  };
  const Case cases[] = {{0, 1, 64, 3},           {5, 6, 16, 3},
                        {40, 12, 48, 128},       {7, 5, 96, 40},
                        {123456789, 255, 80, 1}, {(1ull << 40) + 3, 7919, 1024, 255}};
  RandomStream random;
  random.seed(31);
  std::vector<std::uint8_t> bytes(1024);
  std::vector<std::uint64_t> mask(16);
  for (auto fill : {&RandomStream::TopBytesStridedMarkingLow,
                    &RandomStream::TopBytesStridedMarkingLowPortable}) {
    for (const Case& c : cases) {
      std::fill(mask.begin(), mask.end(), 0xA5A5A5A5A5A5A5A5ull);
      fill(random.key(), c.first, c.stride, c.count, c.bound, bytes.data(), mask.data());
      for (std::size_t i = 0; i < (c.count + 63) / 64 * 64; ++i) {
        const bool marked = (mask[i / 64] >> (i % 64)) & 1;
        if (i >= c.count) {
          ASSERT_FALSE(marked) << c.count << " " << i;
          continue;
        }
        const std::uint32_t top = RandomStream::Bits24(random.key(), c.first + i * c.stride) >> 16;
        ASSERT_EQ(bytes[i], top) << c.first << " " << c.stride << " " << i;
        ASSERT_EQ(marked, top < c.bound) << c.first << " " << c.stride << " " << i;
      }
    }
  }
}

}  // namespace
}  // namespace brackwyn
