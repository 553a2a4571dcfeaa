// The object part of the example world: objects.csv and one density bitmap
// per kind, made from the island's own shape so that trees stand inland,
// rocks on the ridge and grass along the shore, and nothing at sea.
//
// Densities are chosen for the default divisor of 64: 0..63 places nothing,
// 64..127 places a candidate at 1 sub-cell in 256, 128..191 at 2 and 192..255
// at 3. The ids are placeholders: each becomes a static whose model is the id
// with ".NIF" appended.
#pragma once

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "gray_bitmap_writer.hpp"

namespace brackwyn::tools {

// What the example island offers at a pixel, each 0..1 unless noted.
struct ExampleGround {
  double inland;    // 0 on the shore line, above 0 inland, below 0 at sea
  double mountain;  // the mountain bitmap's gray / 255
  double forest;    // slow noise: where woods grow
  double clearing;  // fast noise: gaps inside the woods
};

struct ExampleKind {
  const char* id;
  const char* bitmap;
  int scaleVariation;
  int baseSize;
  int topSize;
  std::function<int(const ExampleGround&)> density;
};

// 0 below `from`, then steps of the three placement rates.
inline int DensityStep(double amount, double from) {
  if (amount < from)
    return 0;
  double t = std::clamp((amount - from) / (1 - from), 0.0, 1.0);
  return t < 0.4 ? 80 : t < 0.75 ? 150 : 220;
}

inline std::vector<ExampleKind> ExampleKinds() {
  return {
      {"ex_tree_pine", "tree_pine.bmp", 20, 3, 9,
       [](const ExampleGround& g) {
         bool woods = g.inland > 0.15 && g.mountain < 0.45 && g.clearing > 0.3;
         return woods ? DensityStep(g.forest, 0.55) : 0;
       }},
      {"ex_tree_broadleaf", "tree_broadleaf.bmp", 25, 2, 7,
       [](const ExampleGround& g) {
         bool lowland = g.inland > 0.06 && g.inland < 0.5 && g.mountain < 0.3;
         return lowland && g.clearing > 0.4 ? DensityStep(1 - g.forest, 0.5) : 0;
       }},
      {"ex_bush", "bush.bmp", 30, 1, 3,
       [](const ExampleGround& g) {
         return g.inland > 0.03 && g.mountain < 0.6 && g.clearing < 0.35 ? 80 : 0;
       }},
      {"ex_rock_large", "rock_large.bmp", 15, 7, 7,
       [](const ExampleGround& g) {
         return g.inland > 0 && g.clearing > 0.45 ? DensityStep(g.mountain, 0.45) : 0;
       }},
      {"ex_rock_small", "rock_small.bmp", 40, 2, 0,
       [](const ExampleGround& g) {
         return g.inland > 0 && g.mountain > 0.25 && g.clearing > 0.6 ? 80 : 0;
       }},
      {"ex_grass", "grass.bmp", 10, 0, 0,
       [](const ExampleGround& g) {
         return g.inland > 0.004 && g.inland < 0.07 ? DensityStep(g.clearing, 0.3) : 0;
       }},
  };
}

// Writes objects.csv (CR LF lines, a header line first) and the kinds'
// density bitmaps into `folder`. ground(x, y) describes pixel (x, y).
inline void WriteExampleObjects(const std::filesystem::path& folder,
                                const std::function<ExampleGround(int x, int y)>& ground) {
  std::vector<ExampleKind> kinds = ExampleKinds();
  std::string index = "Object ID,Density Bitmap,Scale Variation,Base Size,Top Size\r\n";
  for (const ExampleKind& kind : kinds) {
    index += std::string(kind.id) + "," + kind.bitmap + "," + std::to_string(kind.scaleVariation) +
             "," + std::to_string(kind.baseSize) + "," + std::to_string(kind.topSize) + "\r\n";
  }
  std::ofstream(folder / "objects.csv", std::ios::binary) << index;

  std::vector<ExampleGround> grounds(std::size_t{kBitmapSide} * kBitmapSide);
  for (int y = 0; y < kBitmapSide; ++y)
    for (int x = 0; x < kBitmapSide; ++x)
      grounds[std::size_t{kBitmapSide} * y + x] = ground(x, y);
  for (const ExampleKind& kind : kinds) {
    WriteGrayBitmap(folder / kind.bitmap, [&](int x, int y) {
      return kind.density(grounds[std::size_t{kBitmapSide} * y + x]);
    });
  }
}

}  // namespace brackwyn::tools
