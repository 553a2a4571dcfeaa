#include "objects/place_objects.hpp"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "core/number_text.hpp"
#include "core/run_error.hpp"
#include "model/control_names.hpp"
#include "model/setting_number.hpp"
#include "objects/object_counts_text.hpp"
#include "objects/placement_window.hpp"

namespace brackwyn {
namespace {

constexpr int kSubCellsPerPixel = kSubCellsPerPixelSide * kSubCellsPerPixelSide;  // 64
constexpr int kLastSubCell = kSubCellGridSide - 1;
constexpr std::size_t kCompareLanes = 16;

// A square of `size` sub-cells covers anchor offsets -back .. size - back - 1
// on each axis; back is size / 2 rounded half to even.
struct Square {
  int size = 0;
  int back = 0;

  static Square OfSize(int size) { return {size, static_cast<int>(RoundHalfEven(size / 2.0))}; }
  int reachBelow() const { return size == 0 ? 0 : back; }
  int reachAbove() const { return size == 0 ? 0 : size - back - 1; }
};

// The in-grid part of a square around an anchor; squares are clipped at the
// grid's edges only.
struct Span {
  int u0, u1, v0, v1;

  static Span Around(const Square& square, int sx, int sy) {
    return {
        std::max(0, sx - square.back), std::min(kLastSubCell, sx - square.back + square.size - 1),
        std::max(0, sy - square.back), std::min(kLastSubCell, sy - square.back + square.size - 1)};
  }
};

struct KindSquares {
  Square base;
  Square top;
};

// Appends the kind numbers whose draw is below their limit, in kind order.
// `limits` holds 0 for kinds that cannot qualify and for the padding up to a
// multiple of 16; `draws` may be read that far.
int CollectCandidates(const std::uint8_t* draws, const std::uint8_t* limits, int kinds,
                      std::uint8_t* out) {
  int n = 0;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  for (int c = 0; c < kinds; c += static_cast<int>(kCompareLanes)) {
    __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(draws + c));
    __m128i l = _mm_loadu_si128(reinterpret_cast<const __m128i*>(limits + c));
    // limit - draw saturates to 0 exactly when the draw is not below the limit
    auto notBelow =
        static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_subs_epu8(l, d), zero)));
    unsigned below = ~notBelow & 0xFFFFu;
    while (below != 0) {
      out[n++] = static_cast<std::uint8_t>(c + std::countr_zero(below) + 1);
      below &= below - 1;
    }
  }
#else
  for (int k = 0; k < kinds; ++k) {
    out[n] = static_cast<std::uint8_t>(k + 1);
    n += draws[k] < limits[k];
  }
#endif
  return n;
}

// The first marked position in [from, end), or end.
std::size_t NextMarked(const std::uint64_t* mask, std::size_t from, std::size_t end) {
  std::size_t word = from / 64;
  std::uint64_t bits = mask[word] & (~std::uint64_t{0} << (from % 64));
  while (bits == 0) {
    if (++word * 64 >= end)
      return end;
    bits = mask[word];
  }
  return std::min(end, word * 64 + static_cast<std::size_t>(std::countr_zero(bits)));
}

double ReadDivisor(const WindowModel& window) {
  constexpr std::string_view kName = control::txtObjectDivisor;
  double divisor = SettingNumber(window, kName);
  if (!(divisor > 0) || !std::isfinite(divisor)) {
    throw RunError("Setting " + DescribeSetting(kName) + ": \"" + window.text(kName) +
                   "\" is not above 0. Enter a number from 1 to 255; higher values place fewer "
                   "objects.");
  }
  return divisor;
}

int ReadConfineValue(const WindowModel& window, std::string_view name) {
  double value = RoundHalfEven(SettingNumber(window, name));
  if (!(value >= 0 && value <= kBitmapSide - 1)) {
    throw RunError("Setting " + DescribeSetting(name) + ": \"" + window.text(name) +
                   "\" is outside the vertices 0 to 3327 of the bitmaps.");
  }
  return static_cast<int>(value);
}

class Placer {
 public:
  Placer(RunContext& run, const ObjectDensity& density, PlacementFiles& files);
  void placeAll();

 private:
  void readDivisor();
  void readColumns();
  void yield();
  void placePixel(int x, int y);
  void placeWithAllKinds(int x, int y, int highestLimit);
  void placeWithQualifyingKinds(int x, int y, int qualifying);
  void tryPlace(int kind, int sx, int sy);
  // n / kindCount for n below 2^16: a multiplication by the rounded-up
  // reciprocal is exact there, because its error stays below 2^-16 while the
  // fraction of n / kindCount is never closer to 1 than 1 / 255.
  std::size_t divideByKinds(std::size_t n) const { return (n * kindsReciprocal_) >> 32; }
  void showRowProgress(int y);

  RunContext& run_;
  const ObjectDensity& density_;
  const int kinds_;
  const std::uint64_t drawsPerPixel_;
  const std::uint64_t kindsReciprocal_;
  const std::uint64_t key_;
  std::uint64_t counter_;

  std::vector<KindSquares> squares_;  // by kind number
  PlacementWindow base_;
  PlacementWindow top_;
  PlacementWindow objects_;

  int limitOf_[256] = {};  // by density
  int lowestQualifyingDensity_ = 256;
  bool columnsStale_ = true;
  int x1_ = 0;
  int x2_ = -1;

  // Per pixel: the limit of every kind (padded), and the kinds that qualify.
  std::vector<std::uint8_t> limits_;
  std::vector<std::uint8_t> qualifyingKind_;  // 0-based kind index
  std::vector<int> qualifyingLimit_;
  std::vector<std::uint8_t> draws_;      // top bytes of one pixel's draws
  std::vector<std::uint64_t> lowDraws_;  // which of them are below the highest limit
  std::vector<std::uint8_t> candidates_;
};

int ReachBelow(const std::vector<KindSquares>& squares, Square KindSquares::*which) {
  int reach = 0;
  for (const KindSquares& kind : squares)
    reach = std::max(reach, (kind.*which).reachBelow());
  return reach;
}

int ReachAbove(const std::vector<KindSquares>& squares, Square KindSquares::*which) {
  int reach = 0;
  for (const KindSquares& kind : squares)
    reach = std::max(reach, (kind.*which).reachAbove());
  return reach;
}

std::vector<KindSquares> SquaresOf(const ObjectPalette& palette) {
  std::vector<KindSquares> squares(static_cast<std::size_t>(palette.kindCount()) + 1);
  for (int kind = 1; kind <= palette.kindCount(); ++kind) {
    squares[static_cast<std::size_t>(kind)] = {Square::OfSize(palette.kind(kind).baseSize),
                                               Square::OfSize(palette.kind(kind).topSize)};
  }
  return squares;
}

// Room for a pixel's draws, its extra choice draws, rounding to whole mask
// words and the over-read of the last comparison.
std::size_t DrawBufferSize(int kinds) {
  std::size_t draws =
      static_cast<std::size_t>(kSubCellsPerPixel) * (static_cast<std::size_t>(kinds) + 1);
  return (draws + kCompareLanes + 63) / 64 * 64 + 64;
}

std::size_t PaddedLanes(int kinds) {
  return (static_cast<std::size_t>(kinds) + kCompareLanes - 1) / kCompareLanes * kCompareLanes;
}

Placer::Placer(RunContext& run, const ObjectDensity& density, PlacementFiles& files)
    : run_(run),
      density_(density),
      kinds_(density.kindCount()),
      drawsPerPixel_(std::uint64_t{kSubCellsPerPixel} * static_cast<std::uint64_t>(kinds_)),
      kindsReciprocal_((std::uint64_t{1} << 32) / static_cast<std::uint64_t>(kinds_) + 1),
      key_(run.state.random.key()),
      counter_(run.state.random.position()),
      squares_(SquaresOf(run.state.objectPalette)),
      base_(files.base, ReachBelow(squares_, &KindSquares::base),
            ReachAbove(squares_, &KindSquares::base)),
      top_(files.top, ReachBelow(squares_, &KindSquares::top),
           ReachAbove(squares_, &KindSquares::top)),
      objects_(files.objects, 0, 0),
      limits_(PaddedLanes(kinds_), 0),
      qualifyingKind_(static_cast<std::size_t>(kinds_)),
      qualifyingLimit_(static_cast<std::size_t>(kinds_)),
      draws_(DrawBufferSize(kinds_), 0),
      lowDraws_(DrawBufferSize(kinds_) / 64, 0),
      candidates_(static_cast<std::size_t>(kinds_)) {}

void Placer::readDivisor() {
  double divisor = ReadDivisor(run_.window);
  lowestQualifyingDensity_ = 256;
  for (int density = 255; density >= 0; --density) {
    limitOf_[density] = CandidateLimit(density, divisor);
    if (limitOf_[density] > 0)
      lowestQualifyingDensity_ = density;
  }
}

void Placer::readColumns() {
  x1_ = ReadConfineValue(run_.window, control::txtConfineObjectsX1);
  x2_ = ReadConfineValue(run_.window, control::txtConfineObjectsX2);
  columnsStale_ = false;
}

// Live settings can change only while the window handles events.
void Placer::yield() {
  if (run_.progress.YieldToUI()) {
    readDivisor();
    columnsStale_ = true;
  }
}

void Placer::placeAll() {
  readDivisor();
  const int y1 = ReadConfineValue(run_.window, control::txtConfineObjectsY1);
  const int y2 = ReadConfineValue(run_.window, control::txtConfineObjectsY2);
  for (int y = y1; y <= y2; ++y) {
    if (columnsStale_)
      readColumns();
    base_.enterPixelRow(y);
    top_.enterPixelRow(y);
    objects_.enterPixelRow(y);
    const int x1 = x1_;
    const int x2 = x2_;
    for (int x = x1; x <= x2; ++x) {
      placePixel(x, y);
      yield();
    }
    showRowProgress(y);
    run_.window.setText(control::txtObjectsCount, ObjectCountsText(run_.state.objectCounts));
    yield();
  }
  base_.finish();
  top_.finish();
  objects_.finish();
  run_.state.random.skip(counter_ - run_.state.random.position());
}

void Placer::showRowProgress(int y) {
  constexpr std::string_view kName = control::txtConfineObjectsY2;
  double y2 = SettingNumber(run_.window, kName);
  double percent = y2 == 0 ? 100 : std::trunc(y / y2 * 100);
  char number[64];
  std::snprintf(number, sizeof number, "%.0f", percent);
  run_.progress.ShowProgress(" - Creating objects - " + std::to_string(y + 1) + "/" +
                             run_.window.text(kName) + " - " + number + "% Complete");
}

void Placer::placePixel(int x, int y) {
  if (density_.highest(x, y) < lowestQualifyingDensity_) {
    counter_ += drawsPerPixel_;  // no kind can be a candidate: skip the draws unseen
    return;
  }
  const std::uint8_t* densities = density_.pixel(x, y);
  int qualifying = 0;
  int highestLimit = 0;
  for (int k = 0; k < kinds_; ++k) {
    int limit = limitOf_[densities[k]];
    limits_[static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(std::min(limit, 255));
    qualifying += limit > 0;
    highestLimit = std::max(highestLimit, limit);
  }
  // Computing every kind's draw in bulk beats computing a few one by one
  // unless only a small share of the kinds qualifies.
  if (highestLimit <= 255 && qualifying * 4 >= kinds_) {
    placeWithAllKinds(x, y, highestLimit);
    return;
  }
  qualifying = 0;
  for (int k = 0; k < kinds_; ++k) {
    int limit = limitOf_[densities[k]];
    if (limit > 0) {
      qualifyingKind_[static_cast<std::size_t>(qualifying)] = static_cast<std::uint8_t>(k);
      qualifyingLimit_[static_cast<std::size_t>(qualifying)] = limit;
      ++qualifying;
    }
  }
  placeWithQualifyingKinds(x, y, qualifying);
}

// The pixel's draws are computed in bulk, and a bit mask marks those low
// enough to make any kind a candidate, so the search jumps from one such draw
// to the next. Sub-cells in between have no candidate and use exactly
// kindCount draws each; a sub-cell with a candidate uses one more, which
// shifts the draws of every later sub-cell by one.
void Placer::placeWithAllKinds(int x, int y, int highestLimit) {
  const std::uint64_t first = counter_;
  const auto kinds = static_cast<std::size_t>(kinds_);
  const auto lowBound = static_cast<std::uint8_t>(highestLimit);
  std::size_t computed = 0;  // a multiple of 64
  auto computeUpTo = [&](std::size_t end) {
    if (end <= computed)
      return;
    end = (end + 63) / 64 * 64;
    RandomStream::TopBytesMarkingLow(key_, first + computed, end - computed, lowBound,
                                     draws_.data() + computed, lowDraws_.data() + computed / 64);
    computed = end;
  };
  std::size_t pos = 0;  // the draws of the current sub-cell start here
  int subCell = 0;
  while (subCell < kSubCellsPerPixel) {
    const std::size_t end = pos + kinds * static_cast<std::size_t>(kSubCellsPerPixel - subCell);
    computeUpTo(end);
    std::size_t low = NextMarked(lowDraws_.data(), pos, end);
    if (low == end)
      break;
    std::size_t skipped = divideByKinds(low - pos);
    subCell += static_cast<int>(skipped);
    pos += skipped * kinds;
    int n = CollectCandidates(draws_.data() + pos, limits_.data(), kinds_, candidates_.data());
    if (n == 0) {
      pos += kinds;
      ++subCell;
      continue;
    }
    std::uint32_t choice = RandomStream::Bits24(key_, first + pos + kinds);
    pos += kinds + 1;
    tryPlace(candidates_[(static_cast<std::uint64_t>(n) * choice) >> 24], 8 * x + (subCell & 7),
             8 * y + (subCell >> 3));
    ++subCell;
  }
  pos += kinds * static_cast<std::size_t>(kSubCellsPerPixel - subCell);
  counter_ = first + pos;
}

void Placer::placeWithQualifyingKinds(int x, int y, int qualifying) {
  for (int i = 0; i < kSubCellsPerPixel; ++i) {
    int n = 0;
    for (int j = 0; j < qualifying; ++j) {
      std::uint8_t kindIndex = qualifyingKind_[static_cast<std::size_t>(j)];
      std::uint32_t top = RandomStream::Bits24(key_, counter_ + kindIndex) >> 16;
      candidates_[static_cast<std::size_t>(n)] = static_cast<std::uint8_t>(kindIndex + 1);
      n += static_cast<int>(top) < qualifyingLimit_[static_cast<std::size_t>(j)];
    }
    counter_ += static_cast<std::uint64_t>(kinds_);
    if (n == 0)
      continue;
    std::uint32_t choice = RandomStream::Bits24(key_, counter_++);
    tryPlace(candidates_[(static_cast<std::uint64_t>(n) * choice) >> 24], 8 * x + (i & 7),
             8 * y + (i >> 3));
  }
}

void Placer::tryPlace(int kind, int sx, int sy) {
  const KindSquares& squares = squares_[static_cast<std::size_t>(kind)];
  Span base = Span::Around(squares.base, sx, sy);
  Span top = Span::Around(squares.top, sx, sy);
  if (squares.base.size > 0 && base_.anyInSquare(base.u0, base.u1, base.v0, base.v1))
    return;
  if (squares.top.size > 0 && top_.anyInSquare(top.u0, top.u1, top.v0, top.v1))
    return;
  auto value = static_cast<std::uint8_t>(kind);
  if (squares.base.size > 0)
    base_.fillSquare(base.u0, base.u1, base.v0, base.v1, value);
  if (squares.top.size > 0)
    top_.fillSquare(top.u0, top.u1, top.v0, top.v1, value);
  objects_.set(sx, sy, value);
  ++run_.state.objectCounts[static_cast<std::size_t>(kind)];
}

}  // namespace

int CandidateLimit(int density, double divisor) {
  double quotient = std::floor(static_cast<double>(density) / divisor);
  return quotient >= 256 ? 256 : static_cast<int>(quotient);
}

void PlaceObjects(RunContext& run, const ObjectDensity& density, PlacementFiles& files) {
  Placer placer(run, density, files);
  placer.placeAll();
}

}  // namespace brackwyn
