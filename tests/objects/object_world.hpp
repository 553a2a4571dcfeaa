// Object test helpers: density bitmaps and index files on disk, densities in
// memory, the object settings of the window, and reading placement grids back.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "gray_bitmap_writer.hpp"
#include "model/run_state.hpp"
#include "objects/object_density.hpp"
#include "objects/placement_files.hpp"

namespace brackwyn::testing {

using DensityFn = std::function<int(int kind, int x, int y)>;

struct KindLine {
  std::string id;
  int scaleVariation = 0;
  int baseSize = 0;
  int topSize = 0;
};

inline std::string DensityFileName(int kind) {
  return "density" + std::to_string(kind) + ".bmp";
}

// A 24-bit bitmap whose middle byte is the density; the outer bytes differ so
// that reading the wrong byte shows.
inline void WriteDensityBitmap(const std::filesystem::path& path,
                               const std::function<int(int x, int y)>& density) {
  std::vector<std::uint8_t> bytes = tools::GrayBitmapHeader();
  bytes.resize(kBitmapStandardBytes);
  std::uint8_t* pixel = bytes.data() + kBitmapHeaderBytes;
  for (int y = 0; y < kBitmapSide; ++y) {
    for (int x = 0; x < kBitmapSide; ++x, pixel += 3) {
      pixel[0] = 0x5A;
      pixel[1] = static_cast<std::uint8_t>(density(x, y));
      pixel[2] = 0xA5;
    }
  }
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

// objects.csv with a header line and one CR LF line per kind, kind i using
// DensityFileName(i).
inline void WriteObjectIndex(const std::filesystem::path& path,
                             const std::vector<KindLine>& kinds) {
  std::string text = "ID,Bitmap,Scale,Base,Top\r\n";
  for (std::size_t i = 0; i < kinds.size(); ++i) {
    const KindLine& kind = kinds[i];
    text += kind.id + "," + DensityFileName(static_cast<int>(i) + 1) + "," +
            std::to_string(kind.scaleVariation) + "," + std::to_string(kind.baseSize) + "," +
            std::to_string(kind.topSize) + "\r\n";
  }
  std::ofstream(path, std::ios::binary) << text;
}

inline ObjectPalette PaletteOf(const std::vector<KindLine>& kinds) {
  ObjectPalette palette;
  for (std::size_t i = 0; i < kinds.size(); ++i) {
    palette.kinds.push_back({kinds[i].id, DensityFileName(static_cast<int>(i) + 1),
                             static_cast<std::uint8_t>(kinds[i].scaleVariation),
                             static_cast<std::uint8_t>(kinds[i].baseSize),
                             static_cast<std::uint8_t>(kinds[i].topSize)});
  }
  return palette;
}

// Densities for the pixels of a box (zero elsewhere), straight into memory.
inline void FillDensity(ObjectDensity& density, int kindCount, int x1, int y1, int x2, int y2,
                        const DensityFn& value) {
  density.allocate(kindCount);
  for (int y = y1; y <= y2; ++y)
    for (int x = x1; x <= x2; ++x)
      for (int kind = 1; kind <= kindCount; ++kind)
        density.set(kind, x, y, static_cast<std::uint8_t>(value(kind, x, y)));
}

struct Box {
  int x1, y1, x2, y2;
};

inline void SetObjectSettings(WindowModel& window, const std::string& divisor, Box box) {
  window.setState("chkCreateObjects", 1);
  window.setText("txtObjectDivisor", divisor);
  window.setText("txtConfineObjectsX1", std::to_string(box.x1));
  window.setText("txtConfineObjectsY1", std::to_string(box.y1));
  window.setText("txtConfineObjectsX2", std::to_string(box.x2));
  window.setText("txtConfineObjectsY2", std::to_string(box.y2));
}

// Bytes of a grid file for sub-cell columns u0..u1 and rows v0..v1, row by row.
inline std::vector<std::uint8_t> ReadGridRegion(const std::filesystem::path& path, int u0, int u1,
                                                int v0, int v1) {
  int fd = ::open(path.c_str(), O_RDONLY);
  if (fd < 0)
    throw std::runtime_error("cannot open " + path.string());
  auto width = static_cast<std::size_t>(u1 - u0 + 1);
  std::vector<std::uint8_t> bytes(width * static_cast<std::size_t>(v1 - v0 + 1));
  for (int v = v0; v <= v1; ++v) {
    ssize_t n = ::pread(fd, bytes.data() + width * static_cast<std::size_t>(v - v0), width,
                        static_cast<off_t>(SubCellOffset(u0, v)));
    if (n != static_cast<ssize_t>(width)) {
      ::close(fd);
      throw std::runtime_error("short read of " + path.string());
    }
  }
  ::close(fd);
  return bytes;
}

// Every allocated range of a file as (offset, bytes), holes skipped.
inline std::vector<std::pair<std::uint64_t, std::vector<std::uint8_t>>> ReadDataRanges(
    const std::filesystem::path& path) {
  std::vector<std::pair<std::uint64_t, std::vector<std::uint8_t>>> ranges;
  int fd = ::open(path.c_str(), O_RDONLY);
  if (fd < 0)
    throw std::runtime_error("cannot open " + path.string());
  off_t at = 0;
  while (true) {
    off_t data = ::lseek(fd, at, SEEK_DATA);
    if (data < 0)
      break;
    off_t hole = ::lseek(fd, data, SEEK_HOLE);
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(hole - data));
    if (::pread(fd, bytes.data(), bytes.size(), data) != static_cast<ssize_t>(bytes.size()))
      throw std::runtime_error("short read of " + path.string());
    ranges.emplace_back(static_cast<std::uint64_t>(data), std::move(bytes));
    at = hole;
  }
  ::close(fd);
  return ranges;
}

}  // namespace brackwyn::testing
