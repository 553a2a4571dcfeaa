#include "plugin/object_records.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <string>
#include <vector>

#include "core/run_error.hpp"
#include "plugin_bytes.hpp"
#include "support/test_support.hpp"

namespace brackwyn {
namespace {

using testing::ReadFloat;
using testing::ReadInt32;

std::vector<std::uint8_t> Bytes(std::string_view text) {
  return {text.begin(), text.end()};
}

TEST(WriteStaticsBlock, OneStatPerKindInKindOrder) {
  ObjectPalette palette;
  palette.kinds = {{"tree", "t.bmp", 20, 3, 9}, {"a", "a.bmp", 0, 0, 0}};
  RecordWriter out;
  EXPECT_EQ(WriteStaticsBlock(palette, out), 2);
  std::string expected =
      std::string("STAT\x1E\0\0\0\0\0\0\0\0\0\0\0", 16) + std::string("NAME\x05\0\0\0tree\0", 13) +
      std::string("MODL\x09\0\0\0tree.NIF\0", 17) +
      std::string("STAT\x18\0\0\0\0\0\0\0\0\0\0\0", 16) + std::string("NAME\x02\0\0\0a\0", 10) +
      std::string("MODL\x06\0\0\0a.NIF\0", 14);
  EXPECT_EQ(out.toVector(), Bytes(expected));
  EXPECT_EQ(out.size(), 38u + 2 * 4 + 38 + 2 * 1);
}

TEST(ReferenceValues, ScaleIsAHundredthWithinTheVariation) {
  EXPECT_EQ(ReferenceScale(10, 0.0f), 0.9f);
  EXPECT_EQ(ReferenceScale(10, 0.5f), 1.0f);
  EXPECT_EQ(ReferenceScale(10, 0.99f), 1.1f);
  EXPECT_EQ(ReferenceScale(0, 0.999f), 1.0f);
  EXPECT_EQ(ReferenceScale(100, 0.0f), 0.0f);
  EXPECT_EQ(ReferenceScale(100, 1.0f - 0x1p-24f), 2.0f);
  EXPECT_EQ(ReferenceScale(255, 0.0f), -1.55f);
  RandomStream random;
  random.seed(3);
  for (int v : {0, 1, 5, 37, 100, 255}) {
    int lowest = 1000, highest = -1000;
    for (int i = 0; i < 20000; ++i) {
      float scale = ReferenceScale(v, random.next());
      int hundredths = static_cast<int>(std::lround(scale * 100.0));
      ASSERT_EQ(scale, static_cast<float>(hundredths / 100.0)) << v;
      lowest = std::min(lowest, hundredths);
      highest = std::max(highest, hundredths);
    }
    EXPECT_EQ(lowest, 100 - v);
    EXPECT_EQ(highest, 100 + v);
  }
}

TEST(ReferenceValues, RotationSpansALittleMoreThanATurn) {
  EXPECT_EQ(ReferenceRotation(0.5f), 3.6415927f);
  EXPECT_EQ(ReferenceRotation(0.0f), 0.0f);
}

class TerrainHeight : public ::testing::Test {
 protected:
  TerrainHeight() { grid.allocate(); }
  void setQuad(int p, int q, int h00, int h10, int h01, int h11) {
    grid.at(p, q) = static_cast<std::int16_t>(h00);
    grid.at(p + 1, q) = static_cast<std::int16_t>(h10);
    grid.at(p, q + 1) = static_cast<std::int16_t>(h01);
    grid.at(p + 1, q + 1) = static_cast<std::int16_t>(h11);
  }
  HeightGrid grid;
};

TEST_F(TerrainHeight, TrianglesAlternateLikeACheckerboard) {
  setQuad(0, 0, 0, 10, 5, 25);  // p, q both even: diagonal (p, q) to (p + 1, q + 1)
  EXPECT_EQ(TerrainHeightAt(grid, 0, 0, 4, 2), 70.0f);
  setQuad(65, 64, 0, 10, 5, 25);  // cell (1, 1), p odd, q even: the other diagonal
  EXPECT_EQ(TerrainHeightAt(grid, 1, 1, 8 + 4, 2), 50.0f);
}

TEST_F(TerrainHeight, VerticesAndDiagonalsAgreeWithTheCorners) {
  setQuad(10, 20, -3, 7, 11, 40);
  setQuad(11, 20, 7, -9, 40, 2);  // shares an edge with the first quad
  // At a vertex: eight times its height.
  EXPECT_EQ(TerrainHeightAt(grid, 0, 0, 80, 160), -24.0f);
  EXPECT_EQ(TerrainHeightAt(grid, 0, 0, 88, 160), 56.0f);
  // On the diagonal of each quad both triangles give the same height.
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(TerrainHeightAt(grid, 0, 0, 80 + i, 160 + i), -24.0f + (320 + 24) * i / 8.0f) << i;
    // the second quad's diagonal runs from (12, 20) to (11, 21)
    EXPECT_EQ(TerrainHeightAt(grid, 0, 0, 96 - i, 160 + i), -72.0f + (320 + 72) * i / 8.0f) << i;
  }
}

TEST_F(TerrainHeight, HeightsBeyond16BitsTimesEightDoNotOverflow) {
  setQuad(100, 100, 4096, 4096, 4096, 4096);
  EXPECT_EQ(TerrainHeightAt(grid, 1, 1, (100 - 64) * 8 + 3, (100 - 64) * 8 + 5), 32768.0f);
  setQuad(200, 200, 32767, -32768, 32767, -32768);
  EXPECT_EQ(TerrainHeightAt(grid, 3, 3, (200 - 192) * 8, (200 - 192) * 8), 262136.0f);
  EXPECT_EQ(TerrainHeightAt(grid, 3, 3, (200 - 192) * 8 + 4, (200 - 192) * 8),
            262136.0f / 2 - 131072);
}

// Objects.dat with a few anchors, read back through the reference writer.
class CellReferences : public ::testing::Test {
 protected:
  CellReferences() {
    run.state.objectPalette.kinds = {{"tree", "t.bmp", 20, 3, 9}, {"grass01", "g.bmp", 0, 0, 0}};
    run.state.heightGrid.allocate();
    run.state.heightGrid.at(0, 0) = 3;
    run.state.random.seed(99);
    run.state.random.skip(1000);  // placement drew before
  }
  void place(int sx, int sy, std::uint8_t kind) {
    std::fstream file(run.folder / "Objects.dat", std::ios::binary | std::ios::in | std::ios::out);
    if (!file)
      file.open(run.folder / "Objects.dat", std::ios::binary | std::ios::out);
    file.seekp(static_cast<std::streamoff>(std::uint64_t(sy) * 26624 + sx));
    file.put(static_cast<char>(kind));
  }
  struct Cell {
    std::vector<std::uint8_t> bytes;
    std::vector<testing::RecordView> records;
  };
  Cell write(CellReferenceWriter& writer, int column, int row) {
    RecordWriter out;
    out.startRecord("CELL");
    writer.writeCell(column, row, out);
    out.endRecord();
    Cell cell{out.toVector(), {}};
    cell.records = testing::ParseRecords(cell.bytes);
    return cell;
  }

  testing::TestRun run;
};

TEST_F(CellReferences, CountNumbersPositionsHeightsAndDraws) {
  place(0, 0, 1);
  place(5, 3, 2);
  place(2, 3, 1);
  place(26623, 26623, 2);
  RandomStream expectedDraws = run.state.random;
  CellReferenceWriter writer(run.context);

  Cell first = write(writer, 0, 0);
  const auto& subs = first.records.at(0).subRecords;
  ASSERT_EQ(subs.size(), 1u + 3 * 4);
  EXPECT_EQ(subs[0].tag, "NAM0");
  EXPECT_EQ(ReadInt32(first.bytes, subs[0].dataOffset), 3);
  // Row order: (0, 0), then (2, 3) and (5, 3).
  struct Expected {
    int number;
    const char* id;
    int variation;
    int k, j;
  } expected[] = {{1, "tree", 20, 0, 0}, {2, "tree", 20, 2, 3}, {3, "grass01", 0, 5, 3}};
  for (int i = 0; i < 3; ++i) {
    const Expected& e = expected[i];
    const auto* ref = &subs[static_cast<std::size_t>(1 + 4 * i)];
    EXPECT_EQ(ref[0].tag, "FRMR");
    EXPECT_EQ(ReadInt32(first.bytes, ref[0].dataOffset), e.number);
    EXPECT_EQ(ref[1].tag, "NAME");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&first.bytes[ref[1].dataOffset]),
                          ref[1].dataSize),
              std::string(e.id) + '\0');
    float scale = ReferenceScale(e.variation, expectedDraws.next());
    float rotation = ReferenceRotation(expectedDraws.next());
    EXPECT_EQ(ref[2].tag, "XSCL");
    EXPECT_EQ(ReadFloat(first.bytes, ref[2].dataOffset), scale);
    EXPECT_EQ(ref[3].tag, "DATA");
    ASSERT_EQ(ref[3].dataSize, 24u);
    std::size_t data = ref[3].dataOffset;
    EXPECT_EQ(ReadFloat(first.bytes, data), -212992.0f + 16 * e.k);
    EXPECT_EQ(ReadFloat(first.bytes, data + 4), -212992.0f + 16 * e.j);
    EXPECT_EQ(ReadFloat(first.bytes, data + 8),
              TerrainHeightAt(run.state.heightGrid, 0, 0, e.k, e.j));
    EXPECT_EQ(ReadFloat(first.bytes, data + 12), 0.0f);
    EXPECT_EQ(ReadFloat(first.bytes, data + 16), 0.0f);
    EXPECT_EQ(ReadFloat(first.bytes, data + 20), rotation);
  }
  EXPECT_EQ(ReadFloat(first.bytes, subs[4].dataOffset + 8), 24.0f);  // 8 * G(0, 0)
  std::vector<std::uint8_t> block(first.bytes.begin() + 16 + 12, first.bytes.end());
  EXPECT_EQ(testing::ReadBytes(run.folder / "FRMR.dat"), block);

  Cell empty = write(writer, 1, 0);
  ASSERT_EQ(empty.records.at(0).subRecords.size(), 1u);
  EXPECT_EQ(ReadInt32(empty.bytes, empty.records[0].subRecords[0].dataOffset), 0);
  EXPECT_EQ(std::filesystem::file_size(run.folder / "FRMR.dat"), 0u);

  Cell last = write(writer, 51, 51);
  const auto& lastSubs = last.records.at(0).subRecords;
  ASSERT_EQ(lastSubs.size(), 5u);
  EXPECT_EQ(ReadInt32(last.bytes, lastSubs[1].dataOffset), 1);
  EXPECT_EQ(ReadFloat(last.bytes, lastSubs[3].dataOffset), ReferenceScale(0, expectedDraws.next()));
  EXPECT_EQ(ReadFloat(last.bytes, lastSubs[4].dataOffset), 212976.0f);
  EXPECT_EQ(ReadFloat(last.bytes, lastSubs[4].dataOffset + 4), 212976.0f);
  EXPECT_EQ(ReadFloat(last.bytes, lastSubs[4].dataOffset + 20),
            ReferenceRotation(expectedDraws.next()));
  EXPECT_EQ(run.state.random.position(), expectedDraws.position());
  EXPECT_EQ(std::filesystem::file_size(run.folder / "FRMR.dat"), 65u + 7);  // "grass01"
}

TEST_F(CellReferences, WithoutObjectsDatEveryCellIsEmpty) {
  CellReferenceWriter writer(run.context);
  Cell cell = write(writer, 7, 9);
  ASSERT_EQ(cell.records.at(0).subRecords.size(), 1u);
  EXPECT_EQ(ReadInt32(cell.bytes, cell.records[0].subRecords[0].dataOffset), 0);
  EXPECT_EQ(run.state.random.position(), 1000u);
}

TEST_F(CellReferences, AKindTheIndexDoesNotListStopsTheRun) {
  place(600, 700, 3);
  CellReferenceWriter writer(run.context);
  RecordWriter out;
  out.startRecord("CELL");
  try {
    writer.writeCell(1, 1, out);
    FAIL();
  } catch (const RunError& error) {
    std::string message = error.what();
    EXPECT_NE(message.find("Objects.dat"), std::string::npos) << message;
    EXPECT_NE(message.find("(600, 700)"), std::string::npos) << message;
  }
}

}  // namespace
}  // namespace brackwyn
