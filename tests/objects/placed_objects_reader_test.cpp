#include "objects/placed_objects_reader.hpp"

#include <gtest/gtest.h>

#include <fstream>

#include "core/run_error.hpp"
#include "objects/placement_files.hpp"
#include "support/test_support.hpp"

namespace brackwyn {
namespace {

void WriteKind(const std::filesystem::path& path, int sx, int sy, char kind) {
  std::fstream file(path, std::ios::binary | std::ios::in | std::ios::out);
  file.seekp(static_cast<std::streamoff>(SubCellOffset(sx, sy)));
  file.put(kind);
}

std::vector<std::array<int, 3>> Anchors(PlacedObjectsReader& reader, int column, int row) {
  std::vector<std::array<int, 3>> found;
  for (const auto& anchor : reader.anchorsOf(column, row))
    found.push_back({anchor.k, anchor.j, anchor.kind});
  return found;
}

// Holes are skipped, not read: what an earlier band left in the reader's
// memory where the file has a hole must not come back as anchors, and neither
// must what lies past the end of a short file.
TEST(PlacedObjectsReader, FindsAnchorsOnlyWhereTheFileHoldsThem) {
  testing::ScratchFolder folder;
  const auto path = folder / "Objects.dat";
  std::ofstream(path, std::ios::binary).put(0);
  std::filesystem::resize_file(path, SubCellOffset(0, 26623) + 2000);  // ends inside a page
  WriteKind(path, 5, 7, 2);
  WriteKind(path, 3, 7, 1);
  WriteKind(path, 0, 200, 3);  // rows far apart are read at different times
  WriteKind(path, 3 * 512 + 100, 300, 1);
  WriteKind(path, 51 * 512 + 9, 512 + 1, 3);  // band 1 holds data, but not where band 0 did
  WriteKind(path, 1999, 26623, 1);            // the file's last byte

  for (bool readBandsAhead : {false, true}) {
    PlacedObjectsReader reader(path, 3, readBandsAhead);
    using Found = std::vector<std::array<int, 3>>;
    EXPECT_EQ(Anchors(reader, 0, 0), (Found{{3, 7, 1}, {5, 7, 2}, {0, 200, 3}}));
    EXPECT_EQ(Anchors(reader, 3, 0), (Found{{100, 300, 1}}));
    EXPECT_EQ(Anchors(reader, 0, 1), Found{});
    EXPECT_EQ(Anchors(reader, 51, 1), (Found{{9, 1, 3}}));
    EXPECT_EQ(Anchors(reader, 3, 51), (Found{{1999 - 3 * 512, 511, 1}}));  // out of order
    EXPECT_EQ(Anchors(reader, 4, 51), Found{});
  }
}

// A kind the index does not list means the file is from another run: the
// cells before it still read, the first cell holding one is refused, naming
// its first such anchor, whichever row a later cell's lies in.
TEST(PlacedObjectsReader, RefusesAKindTheIndexDoesNotList) {
  testing::ScratchFolder folder;
  const auto path = folder / "Objects.dat";
  std::ofstream(path, std::ios::binary).put(0);
  std::filesystem::resize_file(path, SubCellOffset(0, 1024));
  WriteKind(path, 10, 20, 1);
  WriteKind(path, 4 * 512, 2, 5);
  WriteKind(path, 2 * 512 + 7, 30, 4);
  WriteKind(path, 2 * 512 + 1, 100, 6);
  WriteKind(path, 512 + 9, 400, 2);

  for (bool readBandsAhead : {false, true}) {
    PlacedObjectsReader reader(path, 3, readBandsAhead);
    EXPECT_EQ(Anchors(reader, 0, 0), (std::vector<std::array<int, 3>>{{10, 20, 1}}));
    EXPECT_EQ(Anchors(reader, 1, 0), (std::vector<std::array<int, 3>>{{9, 400, 2}}));
    for (int column : {2, 4}) {
      try {
        reader.anchorsOf(column, 0);
        ADD_FAILURE() << "kind 4 of 3 was read";
      } catch (const RunError& error) {
        EXPECT_NE(std::string(error.what()).find("holds kind 4 at sub-cell (1031, 30)"),
                  std::string::npos)
            << error.what();
      }
    }
  }
}

}  // namespace
}  // namespace brackwyn
