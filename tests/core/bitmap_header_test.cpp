#include "core/bitmap_header.hpp"

#include <gtest/gtest.h>

#include "support/bitmap_layouts.hpp"

namespace brackwyn {
namespace {

// The header of a standard 24-bit file with one field changed.
std::vector<std::uint8_t> Head(std::size_t at, std::uint32_t value, int bytes) {
  std::vector<std::uint8_t> standard = tools::GrayBitmapHeader();
  std::vector<std::uint8_t> head(66, 0);
  std::copy(standard.begin(), standard.end(), head.begin());
  tools::PutLe(&head[at], value, bytes);
  return head;
}

TEST(BitmapHeader, SaysWhatARefusedFileIs) {
  struct Case {
    std::vector<std::uint8_t> head;
    const char* problem;
  } cases[] = {
      {Head(28, 16, 2), "it is 16-bit, whose gray levels cannot be recovered exactly"},
      {Head(28, 1, 2), "it has 1 bits per pixel"},
      {Head(14, 12, 4), "its information header is 12 bytes long"},
      {Head(26, 2, 2), "it has 2 colour planes"},
      {Head(30, 5, 4), "it is PNG-compressed"},
      {Head(30, 3, 4), "its colour bit fields are not 8 bits each"},
      {Head(10, 20, 4), "its pixel data offset 20 lies inside its headers"},
      {Head(22, 0x80000000u, 4), "it is 3328 x 2147483648 pixels"},
      {{0xFF, 0xD8, 0xFF, 0xE0}, "it is a JPEG picture"},
  };
  for (const Case& c : cases) {
    std::string problem;
    EXPECT_FALSE(ParseBitmapHeader(c.head, 1u << 30, &problem));
    EXPECT_NE(problem.find(c.problem), std::string::npos) << problem;
  }
  std::vector<std::uint8_t> palette = Head(28, 8, 2);
  tools::PutLe(&palette[46], 257, 4);
  std::string problem;
  EXPECT_FALSE(ParseBitmapHeader(palette, 1u << 30, &problem));
  EXPECT_EQ(problem, "its palette claims 257 colours, more than 256");
}

TEST(BitmapHeader, AStandardFileMayEndRightAfterItsLastSample) {
  std::vector<std::uint8_t> head = tools::GrayBitmapHeader();
  std::string problem;
  std::optional<BitmapLayout> layout = ParseBitmapHeader(head, 33'226'805, &problem);
  ASSERT_TRUE(layout) << problem;
  EXPECT_EQ(layout->neededBytes(), 33'226'805u);
  EXPECT_FALSE(ParseBitmapHeader(head, 33'226'804, &problem));
  EXPECT_NE(problem.find("too short for a 3328 x 3328 24-bit bitmap (at least 33226805 bytes)"),
            std::string::npos)
      << problem;
}

}  // namespace
}  // namespace brackwyn
