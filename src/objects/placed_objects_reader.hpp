// Reads the placed objects back out of Objects.dat (the layout is described
// in placement_files.hpp), one row of cells at a time.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

#include "core/positioned_file.hpp"

namespace brackwyn {

class PlacedObjectsReader {
 public:
  struct Anchor {
    int k, j;  // sub-cell column and row inside the cell, 0..511
    int kind;
  };

  // A missing file holds no objects anywhere. Anchors of a kind above
  // `kindCount` are refused: the file is from another run.
  PlacedObjectsReader(std::filesystem::path objectsFile, int kindCount);

  // The anchors of cell (column, row) in row order: bottom to top, left to
  // right. Cells are best asked for row by row.
  const std::vector<Anchor>& anchorsOf(int column, int row);

 private:
  void loadBand(int row);
  // The anchors among the 8 bytes at block column k of block row j.
  void addAnchorsOfWord(const std::uint8_t* blockRow, int k, int j, int column, int row);

  PositionedFile file_;
  int kindCount_;
  std::vector<std::uint8_t> band_;  // sub-cell rows 512 * bandRow_ .. + 511
  // Per 4 KiB page of band_: 1 where it holds the file's bytes, 0 where the
  // file has a hole and band_ holds whatever an earlier band left.
  std::vector<std::uint8_t> heldPages_;
  int bandRow_ = -1;
  std::vector<Anchor> anchors_;
};

}  // namespace brackwyn
