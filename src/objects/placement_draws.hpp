// The half of object placement that depends on the random stream, the
// densities and the live settings only, never on what was placed before:
// which kind each sub-cell of a pixel row tries to place. The overlap tests
// that decide whether the attempt succeeds stay with the caller, in order.
#pragma once

#include <cstdint>
#include <vector>

#include "objects/object_density.hpp"

namespace brackwyn {

// The highest draw value t = floor(256 r) + 1 (1..256) that still makes a kind
// of this density a candidate under divisor d: floor(density / d), capped at
// 256. "density / d >= t" in double precision holds exactly when t is at most
// this value, because t is an integer and x >= t <=> floor(x) >= t for any
// real x; taking the floor of the same double quotient keeps the comparison
// exact for every divisor, whole or not.
int CandidateLimit(int density, double divisor);

// The live settings a row's draws depend on.
struct DrawSettings {
  double divisor = 0;
  int x1 = 0;
  int x2 = -1;
  bool operator==(const DrawSettings&) const = default;
};

// The attempts of one pixel row, pixel by pixel, for pixels from..x2 of the
// settings' columns, starting at stream position `counterStart`.
struct RowAttempts {
  // Sub-cell column, sub-cell row within the pixel and kind of one attempt.
  static std::uint32_t Pack(int sx, int subRow, int kind) {
    return static_cast<std::uint32_t>(sx) | static_cast<std::uint32_t>(subRow) << 15 |
           static_cast<std::uint32_t>(kind) << 18;
  }
  static int Column(std::uint32_t a) { return static_cast<int>(a & 0x7FFF); }
  static int SubRow(std::uint32_t a) { return static_cast<int>(a >> 15 & 7); }
  static int Kind(std::uint32_t a) { return static_cast<int>(a >> 18); }

  int y = 0;
  DrawSettings settings;
  std::uint64_t counterStart = 0;
  int from = 0;
  std::vector<std::uint32_t> attempts;
  std::vector<std::uint32_t> pixelEnd;      // attempts of pixel from + i end at pixelEnd[i]
  std::vector<std::uint64_t> counterAfter;  // stream position after pixel from + i
};

class DrawBytesAhead;

enum class DrawMethod { kAllKinds, kQualifyingStrided, kQualifyingOneByOne };

class PlacementDraws {
 public:
  PlacementDraws(const ObjectDensity& density, std::uint64_t key);

  // Takes the draws' top bytes from `source` where it has them made; it must
  // outlive this object's use.
  void takeBytesFrom(DrawBytesAhead* source) { bytesAhead_ = source; }

  // Replaces `row` by the attempts of pixels from..settings.x2 of row y.
  void draw(int y, int from, const DrawSettings& settings, std::uint64_t counter, RowAttempts& row);

 private:
  void setDivisor(double divisor);
  void drawPixel(int x, int y, RowAttempts& row);
  void setLimits(const std::uint8_t* densities);
  // Each draws pixel x with the limits of the last setLimits().
  void drawWithAllKinds(int x, RowAttempts& row);
  void drawWithQualifyingKinds(int x, RowAttempts& row);
  void drawWithQualifyingKindsOneByOne(int x, RowAttempts& row);
  // n / kindCount for n below 2^16: a multiplication by the rounded-up
  // reciprocal is exact there, because its error stays below 2^-16 while the
  // fraction of n / kindCount is never closer to 1 than 1 / 255.
  std::size_t divideByKinds(std::size_t n) const { return (n * kindsReciprocal_) >> 32; }

  const ObjectDensity& density_;
  const int kinds_;
  const std::uint64_t drawsPerPixel_;
  const std::uint64_t kindsReciprocal_;
  const std::uint64_t key_;
  std::uint64_t counter_ = 0;
  DrawBytesAhead* bytesAhead_ = nullptr;

  double divisor_ = 0;     // 0: limits not computed yet
  int limitOf_[256] = {};  // by density
  int lowestQualifyingDensity_ = 256;

  // Per pixel: the limit of every kind (padded), and the kinds that qualify,
  // kept for the next pixel while its densities stay the same.
  bool limitsValid_ = false;
  std::vector<std::uint8_t> layerDensities_;
  DrawMethod method_ = DrawMethod::kAllKinds;
  int qualifying_ = 0;
  int highestLimit_ = 0;
  bool marksAreCandidates_ = false;  // one limit for every kind, candidates sparse
  std::vector<std::uint8_t> limits_;
  std::vector<std::uint8_t> qualifyingKind_;  // 0-based kind index
  std::vector<int> qualifyingLimit_;
  // Per qualifying kind, bit i: the kind is a candidate in the i-th sub-cell of a pass.
  std::vector<std::uint64_t> candidateCells_;
  std::vector<std::uint8_t> draws_;      // top bytes of one pixel's draws
  std::vector<std::uint64_t> lowDraws_;  // which of them are below the highest limit
  std::vector<std::uint8_t> candidates_;
};

}  // namespace brackwyn
