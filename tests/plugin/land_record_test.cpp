#include "plugin/land_record.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "plugin_bytes.hpp"
#include "synthetic_land.hpp"

namespace brackwyn {
namespace {

using testing::ReadInt32;
using testing::ReadTag;
using testing::ReadUint32;

// Filled once for every test of this file: 45 MB of land data.
const RunState& SyntheticState() {
  static const RunState state = [] {
    RunState filled;
    testing::FillSyntheticLand(filled);
    return filled;
  }();
  return state;
}

std::vector<std::uint8_t> Build(int index) {
  RecordWriter out;
  WriteLandRecord(out, CellPosition{index}, SyntheticState().cellHeights,
                  SyntheticState().cellColors);
  return out.toVector();
}

class LandRecord : public ::testing::TestWithParam<int> {};

bool AllBytesAre(const std::vector<std::uint8_t>& bytes, std::size_t from, std::size_t count,
                 std::uint8_t value) {
  return std::all_of(bytes.begin() + static_cast<std::ptrdiff_t>(from),
                     bytes.begin() + static_cast<std::ptrdiff_t>(from + count),
                     [&](std::uint8_t b) { return b == value; });
}

TEST_P(LandRecord, HasTheFixedLayout) {
  auto bytes = Build(GetParam());
  ASSERT_EQ(bytes.size(), 29739u);
  EXPECT_EQ(ReadTag(bytes, 0), "LAND");
  EXPECT_EQ(ReadUint32(bytes, 4), 29723u);

  struct Expected {
    std::size_t offset;
    const char* tag;
    std::uint32_t size;
  };
  for (Expected e : {Expected{16, "INTV", 8}, Expected{32, "DATA", 4}, Expected{44, "VNML", 12675},
                     Expected{12727, "VHGT", 4232}, Expected{16967, "WNAM", 81},
                     Expected{17056, "VCLR", 12675}}) {
    EXPECT_EQ(ReadTag(bytes, e.offset), e.tag) << e.offset;
    EXPECT_EQ(ReadUint32(bytes, e.offset + 4), e.size) << e.tag;
  }
  EXPECT_EQ(ReadInt32(bytes, 40), 11);
  EXPECT_TRUE(AllBytesAre(bytes, 52, 12675, 0)) << "VNML";
  EXPECT_TRUE(AllBytesAre(bytes, 16964, 3, 0)) << "VHGT padding";
  EXPECT_TRUE(AllBytesAre(bytes, 16975, 81, 0)) << "WNAM";
}

TEST_P(LandRecord, CarriesTheCellsPositionHeightsAndColours) {
  int index = GetParam();
  auto bytes = Build(index);
  EXPECT_EQ(ReadInt32(bytes, 24), index % 52 - 26);
  EXPECT_EQ(ReadInt32(bytes, 28), index / 52 - 26);
  EXPECT_EQ(testing::ReadFloat(bytes, 12735), testing::SyntheticBaseHeight(index));
  for (std::size_t v = 0; v < kVerticesPerCell; ++v)
    ASSERT_EQ(bytes[12739 + v], testing::SyntheticStep(index, v)) << "vertex " << v;
  for (std::size_t i = 0; i < kCellColorBytes; ++i)
    ASSERT_EQ(bytes[17064 + i], testing::SyntheticColor(index, i)) << "colour byte " << i;
}

INSTANTIATE_TEST_SUITE_P(Cells, LandRecord, ::testing::Values(0, 51, 52, 1378, 2703));

// Square (u, v) of the hand-built cell holds 100 + 16 v + u, so every value
// says where it came from. VTEX holds 4 x 4 blocks of 4 x 4 squares.
TEST(TexturedLandRecord, AddsVtexInBlockOrderAndTheTextureFlag) {
  std::vector<std::uint16_t> squares(256);
  for (int v = 0; v < 16; ++v)
    for (int u = 0; u < 16; ++u)
      squares[static_cast<std::size_t>(16 * v + u)] = static_cast<std::uint16_t>(100 + 16 * v + u);
  RecordWriter out;
  WriteLandRecord(out, CellPosition{7}, SyntheticState().cellHeights, SyntheticState().cellColors,
                  nullptr, squares);
  const auto& bytes = out.bytes();
  ASSERT_EQ(bytes.size(), 30259u);
  EXPECT_EQ(ReadUint32(bytes, 4), 30243u);
  EXPECT_EQ(ReadInt32(bytes, 40), 15);
  EXPECT_EQ(ReadTag(bytes, 29739), "VTEX");
  ASSERT_EQ(ReadUint32(bytes, 29743), 512u);
  struct Entry {
    int position;  // in VTEX
    int u;
    int v;
  };
  for (Entry e : {Entry{0, 0, 0}, Entry{1, 1, 0}, Entry{3, 3, 0}, Entry{4, 0, 1}, Entry{15, 3, 3},
                  Entry{16, 4, 0}, Entry{20, 4, 1}, Entry{63, 15, 3}, Entry{64, 0, 4},
                  Entry{68, 0, 5}, Entry{80, 4, 4}, Entry{192, 0, 12}, Entry{255, 15, 15}}) {
    std::size_t at = 29747 + 2 * static_cast<std::size_t>(e.position);
    EXPECT_EQ(bytes[at] | bytes[at + 1] << 8, 100 + 16 * e.v + e.u) << "VTEX entry " << e.position;
  }
  std::vector<std::uint8_t> untextured = Build(7);
  untextured[40] = 15;
  untextured[4] = bytes[4];
  untextured[5] = bytes[5];
  EXPECT_TRUE(std::equal(untextured.begin(), untextured.end(), bytes.begin()))
      << "the other sub-records stay as they are";
}

}  // namespace
}  // namespace brackwyn
