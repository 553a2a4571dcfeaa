#include "plugin/cell_record.hpp"

#include <gtest/gtest.h>

#include <vector>

#include "plugin_bytes.hpp"

namespace brackwyn {
namespace {

struct CellCase {
  int index;
  int gridX;
  int gridY;
};

class CellRecord : public ::testing::TestWithParam<CellCase> {};

TEST_P(CellRecord, IsAnEmptyNameAndTheGridPosition) {
  const CellCase& c = GetParam();
  CellPosition cell{c.index};
  EXPECT_EQ(cell.gridX(), c.gridX);
  EXPECT_EQ(cell.gridY(), c.gridY);

  RecordWriter out;
  StartCellRecord(out, cell);
  out.endRecord();
  std::vector<std::uint8_t> expected = {'C', 'E', 'L', 'L', 29,  0,   0,   0, 0, 0, 0, 0, 0,
                                        0,   0,   0,   'N', 'A', 'M', 'E', 1, 0, 0, 0, 0, 'D',
                                        'A', 'T', 'A', 12,  0,   0,   0,   0, 0, 0, 0};
  for (std::int32_t value : {c.gridX, c.gridY}) {
    auto encoded = EncodeInt32(value);
    expected.insert(expected.end(), encoded.begin(), encoded.end());
  }
  EXPECT_EQ(out.toVector(), expected);
  EXPECT_EQ(out.size(), kCellRecordBytesWithoutObjects);
}

INSTANTIATE_TEST_SUITE_P(Corners, CellRecord,
                         ::testing::Values(CellCase{0, -26, -26}, CellCase{51, 25, -26},
                                           CellCase{52, -26, -25}, CellCase{1378, 0, 0},
                                           CellCase{2703, 25, 25}));

}  // namespace
}  // namespace brackwyn
