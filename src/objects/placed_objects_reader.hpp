// Reads the placed objects back out of Objects.dat (the layout is described
// in placement_files.hpp), one row of cells at a time.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/positioned_file.hpp"
#include "core/sequence_ahead.hpp"

namespace brackwyn {

class PlacedObjectsReader {
 public:
  struct Anchor {
    int k, j;  // sub-cell column and row inside the cell, 0..511
    int kind;
  };

  // A missing file holds no objects anywhere. Anchors of a kind above
  // `kindCount` are refused: the file is from another run. With
  // `readBandsAhead`, the next rows of cells are read on threads of their own
  // while this one's cells are scanned.
  PlacedObjectsReader(std::filesystem::path objectsFile, int kindCount,
                      bool readBandsAhead = false);

  // The anchors of cell (column, row) in row order: bottom to top, left to
  // right. Cells are best asked for row by row.
  const std::vector<Anchor>& anchorsOf(int column, int row);

 private:
  // The anchors of the cells of sub-cell rows 512 * row .. + 511, found by
  // whoever read them: the read-ahead thread when there is one.
  struct Band {
    // The rows are read a slice at a time and scanned while their bytes are
    // still in the core's cache: a whole band is 13 MB.
    std::vector<std::uint8_t> slice;
    // Per 4 KiB page of the slice: 1 where it holds the file's bytes, 0 where
    // the file has a hole and the slice holds whatever an earlier one left.
    std::vector<std::uint8_t> heldPages;
    std::vector<std::vector<Anchor>> cells;  // by column
    // The first column holding a kind above kindCount (kCellsPerSide when
    // none does), and the message for it; the columns after it are not scanned.
    int refusedColumn = 0;
    std::string refusal;
  };

  void enterBand(int row);
  void listData();
  void loadBand(int row, Band& band) const;
  // Sub-cell rows `first` .. of band `row`, as many as a slice holds.
  void readSlice(int row, int first, Band& band) const;
  // Adds the slice's anchors to the cells before band.refusedColumn, and
  // moves that column to the first one holding a kind above kindCount.
  void scanSlice(int row, int first, Band& band) const;
  // The anchors of sub-cell row j of a cell of band `row`, from its 512 bytes.
  void scanCellRow(const std::uint8_t* bytes, int column, int row, int j, Band& band) const;

  PositionedFile file_;
  int kindCount_;
  // The file's stretches of data, listed once before the first band is read:
  // asking where a hole starts makes the system walk the cached pages up to
  // it, which in a densely placed file means its whole rest, so band by band
  // it would walk the file 52 times.
  bool dataListed_ = false;
  std::vector<PositionedFile::Range> dataRanges_;
  std::unique_ptr<Band> band_;  // of bandRow_
  int bandRow_ = -1;
  // Bands of even and of odd rows; last: they stop before what they use goes.
  std::unique_ptr<SequenceAhead<Band>> bandsAhead_[2];
};

}  // namespace brackwyn
