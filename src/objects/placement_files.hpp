// The placement work files Base.dat, Top.dat and Objects.dat.
//
// Each holds the 26624 x 26624 sub-cell grid, one byte per sub-cell, rows by
// sy from the bottom, sx increasing within a row: sub-cell (sx, sy) is at
// offset sy * 26624 + sx. A byte is 0 for "empty" or the kind number of the
// object whose base square (Base.dat), top square (Top.dat) or anchor
// (Objects.dat) covers the sub-cell. One trailing zero byte follows the grid,
// so a reset file is 708,837,377 bytes long.
//
// The files are made anew by every run: whatever has their names, a leftover
// of an earlier run or a link placed there, is removed first and the file is
// created exclusively, so a link is never followed and no file outside the
// working folder is ever written. They start sparse, all zeros, and are
// allocated ahead only where the disk has room to spare (see
// platform::ReserveSpace). Files are read and written with positioned block
// I/O, never mapped: a mapped sparse file would turn a full disk into a crash
// instead of an error.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "core/positioned_file.hpp"
#include "core/units.hpp"
#include "model/run_state.hpp"

namespace brackwyn {

inline constexpr std::size_t kSubCellRowBytes = kSubCellGridSide;  // 26,624
inline constexpr std::size_t kPlacementGridBytes = kSubCellRowBytes * kSubCellGridSide;
inline constexpr std::size_t kPlacementFileBytes = kPlacementGridBytes + 1;
// The sub-cell rows of one pixel row: 8 rows, 52 pages of 4 KiB.
inline constexpr std::size_t kPixelRowBandBytes = kSubCellRowBytes * kSubCellsPerPixelSide;

static_assert(kPlacementGridBytes == 708'837'376);
static_assert(kPixelRowBandBytes % 4096 == 0);

inline constexpr std::uint64_t SubCellOffset(int sx, int sy) {
  return std::uint64_t(sy) * kSubCellRowBytes + std::uint64_t(sx);
}

class PlacementFile {
 public:
  // Removes whatever has the name `path` and creates a new file of
  // 708,837,377 zero bytes there, open for reading and writing.
  PlacementFile(std::filesystem::path path, std::string role);

  void write(const std::uint8_t* data, std::size_t size, std::uint64_t offset);
  // Reads `size` bytes; bytes past the end of the file read as zero.
  void read(std::uint8_t* data, std::size_t size, std::uint64_t offset) const;

  const std::filesystem::path& path() const { return file_.path(); }

 private:
  PositionedFile file_;
};

struct PlacementFiles {
  PlacementFile base;
  PlacementFile top;
  PlacementFile objects;
};

// Creates Base.dat, Top.dat and Objects.dat in the working folder, showing
// the eight captions of "Creating object temp files" with a yield after
// each. The files stay open for placement.
PlacementFiles CreatePlacementFiles(RunContext& run);

}  // namespace brackwyn
