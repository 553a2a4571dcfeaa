#include "objects/placement_draws.hpp"

#include <algorithm>
#include <bit>
#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "core/random_stream.hpp"
#include "objects/draw_bytes_ahead.hpp"

namespace brackwyn {
namespace {

constexpr int kSubCellsPerPixel = kSubCellsPerPixelSide * kSubCellsPerPixelSide;  // 64
constexpr std::size_t kCompareLanes = 16;
// A limit sum up to which about a quarter of the sub-cells or fewer have a
// candidate.
constexpr int kSparseCandidates = 64;

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

// The marks of draws at .. at + count - 1 as bits 0 .. count - 1, count at most
// 64. The mask must be readable one word past the one holding bit `at`.
std::uint64_t MarksFrom(const std::uint64_t* mask, std::size_t at, std::size_t count) {
  const std::size_t word = at / 64;
  const auto shift = static_cast<unsigned>(at % 64);
  std::uint64_t marks = mask[word] >> shift;
  if (shift != 0)
    marks |= mask[word + 1] << (64 - shift);
  return marks & ~std::uint64_t{0} >> (64 - count);
}

// The kind that choice draw `choiceDraw` picks among the candidates, given as
// bits in kind order: the candidate at index floor(n * choice / 2^24) of n.
// Where there is one, every choice picks it, and the draw is not needed.
int PickCandidate(std::uint64_t candidates, std::uint64_t key, std::uint64_t choiceDraw) {
  if ((candidates & (candidates - 1)) == 0)
    return std::countr_zero(candidates) + 1;
  std::uint8_t listed[64];
  std::uint64_t n = 0;
  for (; candidates != 0; candidates &= candidates - 1)
    listed[n++] = static_cast<std::uint8_t>(std::countr_zero(candidates) + 1);
  return listed[(n * RandomStream::Bits24(key, choiceDraw)) >> 24];
}

// The same for candidates listed in kind order, n of them, n at least 1.
int PickListed(const std::uint8_t* candidates, int n, std::uint64_t key, std::uint64_t choiceDraw) {
  return candidates[(static_cast<std::uint64_t>(n) * RandomStream::Bits24(key, choiceDraw)) >> 24];
}

// A loop rather than memcmp: the densities are a few bytes, and where they
// change from pixel to pixel the first ones mostly differ.
bool SameBytes(const std::uint8_t* a, const std::uint8_t* b, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) {
    if (a[i] != b[i])
      return false;
  }
  return true;
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

// The cheapest way to draw a pixel, by rough costs in nanoseconds per pixel
// fitted to bench/objects/placement_draws_bench.cpp on an AVX-512 machine.
// About limitSum / 4 of the 64 sub-cells have a candidate: each costs the bulk
// draws a little and the strided draws a whole pass. A kind certain to be a
// candidate (limit 256) gives every sub-cell draws of one length, so the
// strided draws take a single pass, and the bulk draws' byte bound cannot
// express it.
DrawMethod CheapestMethod(int kinds, int qualifying, int highestLimit, int limitSum) {
  if (highestLimit > 255)
    return DrawMethod::kQualifyingStrided;
  const double candidateCells = std::min(64.0, limitSum / 4.0);
  const double allKinds = 20.0 * kinds + 12 * candidateCells;
  const double strided = 16.0 * qualifying * (1 + candidateCells);
  const double oneByOne = 130 + 145.0 * qualifying;
  if (strided < allKinds && strided < oneByOne)
    return DrawMethod::kQualifyingStrided;
  return allKinds <= oneByOne ? DrawMethod::kAllKinds : DrawMethod::kQualifyingOneByOne;
}

}  // namespace

int CandidateLimit(int density, double divisor) {
  double quotient = std::floor(static_cast<double>(density) / divisor);
  return quotient >= 256 ? 256 : static_cast<int>(quotient);
}

PlacementDraws::PlacementDraws(const ObjectDensity& density, std::uint64_t key)
    : density_(density),
      kinds_(density.kindCount()),
      drawsPerPixel_(std::uint64_t{kSubCellsPerPixel} * static_cast<std::uint64_t>(kinds_)),
      kindsReciprocal_((std::uint64_t{1} << 32) / static_cast<std::uint64_t>(kinds_) + 1),
      key_(key),
      layerDensities_(static_cast<std::size_t>(density.layerCount())),
      limits_(PaddedLanes(kinds_), 0),
      qualifyingKind_(static_cast<std::size_t>(kinds_)),
      qualifyingLimit_(static_cast<std::size_t>(kinds_)),
      candidateCells_(static_cast<std::size_t>(kinds_)),
      draws_(DrawBufferSize(kinds_), 0),
      lowDraws_(DrawBufferSize(kinds_) / 64, 0),
      candidates_(static_cast<std::size_t>(kinds_)) {}

void PlacementDraws::setDivisor(double divisor) {
  if (divisor == divisor_)
    return;
  divisor_ = divisor;
  limitsValid_ = false;
  lowestQualifyingDensity_ = 256;
  for (int density = 255; density >= 0; --density) {
    limitOf_[density] = CandidateLimit(density, divisor);
    if (limitOf_[density] > 0)
      lowestQualifyingDensity_ = density;
  }
}

void PlacementDraws::draw(int y, int from, const DrawSettings& settings, std::uint64_t counter,
                          RowAttempts& row) {
  setDivisor(settings.divisor);
  row.y = y;
  row.settings = settings;
  row.counterStart = counter;
  row.from = from;
  row.attempts.clear();
  const auto pixels = static_cast<std::size_t>(std::max(0, settings.x2 - from + 1));
  row.pixelEnd.resize(pixels);
  row.counterAfter.resize(pixels);
  counter_ = counter;
  const std::uint8_t* highest = density_.highestOfRow(y);
  for (int x = from; x <= settings.x2; ++x) {
    // Most pixels of a world have no kind that can be a candidate: their
    // draws are skipped unseen, here rather than in a call per pixel.
    if (highest[x] < lowestQualifyingDensity_)
      counter_ += drawsPerPixel_;
    else
      drawPixel(x, y, row);
    const auto i = static_cast<std::size_t>(x - from);
    row.pixelEnd[i] = static_cast<std::uint32_t>(row.attempts.size());
    row.counterAfter[i] = counter_;
  }
}

// A pixel where some kind can be a candidate.
void PlacementDraws::drawPixel(int x, int y, RowAttempts& row) {
  const std::uint8_t* densities = density_.pixel(x, y);
  // Neighbouring pixels mostly share their densities, and with them the limits.
  if (!limitsValid_ || !SameBytes(densities, layerDensities_.data(), layerDensities_.size()))
    setLimits(densities);
  if (method_ == DrawMethod::kAllKinds)
    drawWithAllKinds(x, row);
  else if (method_ == DrawMethod::kQualifyingStrided)
    drawWithQualifyingKinds(x, row);
  else
    drawWithQualifyingKindsOneByOne(x, row);
}

void PlacementDraws::setLimits(const std::uint8_t* densities) {
  std::copy(densities, densities + layerDensities_.size(), layerDensities_.begin());
  limitsValid_ = true;
  const std::vector<int>& layerOf = density_.layerOfKind();
  qualifying_ = 0;
  highestLimit_ = 0;
  int limitSum = 0;
  for (int k = 0; k < kinds_; ++k) {
    int limit = limitOf_[densities[layerOf[static_cast<std::size_t>(k)]]];
    limits_[static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(std::min(limit, 255));
    if (limit > 0) {
      qualifyingKind_[static_cast<std::size_t>(qualifying_)] = static_cast<std::uint8_t>(k);
      qualifyingLimit_[static_cast<std::size_t>(qualifying_)] = limit;
      ++qualifying_;
    }
    highestLimit_ = std::max(highestLimit_, limit);
    limitSum += limit;
  }
  method_ = CheapestMethod(kinds_, qualifying_, highestLimit_, limitSum);
  // Only worth it where candidates are sparse: where most sub-cells have
  // some, their draws are read in order anyway and listing many marks costs more.
  marksAreCandidates_ =
      kinds_ <= 64 && limitSum == kinds_ * highestLimit_ && limitSum <= kSparseCandidates;
}

// The pixel's draws are computed in bulk, and a bit mask marks those low
// enough to make any kind a candidate, so the search jumps from one such draw
// to the next. Sub-cells in between have no candidate and use exactly
// kindCount draws each; a sub-cell with a candidate uses one more, which
// shifts the draws of every later sub-cell by one.
void PlacementDraws::drawWithAllKinds(int x, RowAttempts& row) {
  const std::uint64_t first = counter_;
  const auto kinds = static_cast<std::size_t>(kinds_);
  const auto lowBound = static_cast<std::uint8_t>(highestLimit_);
  // Every draw the pixel can use: its sub-cells' and one choice each.
  const std::size_t most = (kinds + 1) * static_cast<std::size_t>(kSubCellsPerPixel);
  const std::uint8_t* made = nullptr;
  const std::uint64_t* madeLow = nullptr;
  std::size_t madeLowOffset = 0;
  if (bytesAhead_) {
    bytesAhead_->markBelow(lowBound);
    made = bytesAhead_->bytes(first, most);
    if (made)
      madeLow = bytesAhead_->lowDraws(lowBound, first, madeLowOffset);
  }
  const std::uint8_t* draws = made ? made : draws_.data();
  std::size_t computed = 0;  // a multiple of 64
  auto computeUpTo = [&](std::size_t end) {
    if (end <= computed || madeLow)
      return;
    end = (end + 63) / 64 * 64;
    if (made) {
      RandomStream::MarkLow(made + computed, end - computed, lowBound,
                            lowDraws_.data() + computed / 64);
    } else {
      RandomStream::TopBytesMarkingLow(key_, first + computed, end - computed, lowBound,
                                       draws_.data() + computed, lowDraws_.data() + computed / 64);
    }
    computed = end;
  };
  // The marks of draw i are at bit markOffset + i.
  const std::uint64_t* marks = madeLow ? madeLow : lowDraws_.data();
  const std::size_t markOffset = madeLow ? madeLowOffset : 0;
  std::size_t pos = 0;  // the draws of the current sub-cell start here
  int subCell = 0;
  while (subCell < kSubCellsPerPixel) {
    const std::size_t end = pos + kinds * static_cast<std::size_t>(kSubCellsPerPixel - subCell);
    computeUpTo(end);
    std::size_t low = NextMarked(marks, markOffset + pos, markOffset + end) - markOffset;
    if (low == end)
      break;
    std::size_t skipped = divideByKinds(low - pos);
    subCell += static_cast<int>(skipped);
    pos += skipped * kinds;
    // Where every kind has the same limit, the marks of a sub-cell's draws
    // are its candidates: reading them spares loading the draws, which
    // another core may have made.
    int kind = 0;
    if (marksAreCandidates_) {
      const std::uint64_t candidates = MarksFrom(marks, markOffset + pos, kinds);
      if (candidates != 0)
        kind = PickCandidate(candidates, key_, first + pos + kinds);
    } else {
      int n = CollectCandidates(draws + pos, limits_.data(), kinds_, candidates_.data());
      if (n > 0)
        kind = PickListed(candidates_.data(), n, key_, first + pos + kinds);
    }
    if (kind == 0) {
      pos += kinds;
      ++subCell;
      continue;
    }
    pos += kinds + 1;
    row.attempts.push_back(RowAttempts::Pack(8 * x + (subCell & 7), subCell >> 3, kind));
    ++subCell;
  }
  pos += kinds * static_cast<std::size_t>(kSubCellsPerPixel - subCell);
  counter_ = first + pos;
}

// The draws of the qualifying kinds only, for all the pixel's remaining
// sub-cells at once, assuming each sub-cell uses `stride` draws: kindCount
// when no kind is certain to be a candidate, which holds up to the first
// sub-cell with a candidate, and kindCount + 1 when one kind is, which holds
// for every sub-cell. Where it stops holding, the draws are computed again
// from there; candidates are rare, so most pixels take one pass.
void PlacementDraws::drawWithQualifyingKinds(int x, RowAttempts& row) {
  const int qualifying = qualifying_;
  const bool certain = highestLimit_ > 255;
  const std::uint64_t first = counter_;
  const auto kinds = static_cast<std::uint64_t>(kinds_);
  const std::uint64_t stride = kinds + (certain ? 1 : 0);
  std::uint64_t pos = 0;  // the draws of the current sub-cell start here
  int subCell = 0;
  while (subCell < kSubCellsPerPixel) {
    const int remaining = kSubCellsPerPixel - subCell;
    const int count = (remaining + 15) / 16 * 16;
    std::uint64_t cells = 0;  // bit i: sub-cell subCell + i has a candidate
    for (int j = 0; j < qualifying; ++j) {
      const auto q = static_cast<std::size_t>(j);
      if (qualifyingLimit_[q] > 255) {
        candidateCells_[q] = ~std::uint64_t{0};
      } else {
        RandomStream::TopBytesStridedMarkingLow(
            key_, first + pos + qualifyingKind_[q], stride, static_cast<std::size_t>(count),
            static_cast<std::uint8_t>(qualifyingLimit_[q]), draws_.data(), &candidateCells_[q]);
      }
      cells |= candidateCells_[q];
    }
    cells &= ~std::uint64_t{0} >> subCell;
    if (cells == 0)
      break;
    const std::uint64_t passPos = pos;
    const int passSubCell = subCell;
    do {
      const int i = std::countr_zero(cells);
      cells &= cells - 1;
      int n = 0;
      for (int j = 0; j < qualifying; ++j) {
        const auto q = static_cast<std::size_t>(j);
        candidates_[static_cast<std::size_t>(n)] =
            static_cast<std::uint8_t>(qualifyingKind_[q] + 1);
        n += static_cast<int>(candidateCells_[q] >> i & 1);
      }
      const std::uint64_t at = passPos + static_cast<std::uint64_t>(i) * stride;
      subCell = passSubCell + i;
      row.attempts.push_back(
          RowAttempts::Pack(8 * x + (subCell & 7), subCell >> 3,
                            PickListed(candidates_.data(), n, key_, first + at + kinds)));
      pos = at + kinds + 1;
      ++subCell;
    } while (certain && cells != 0);
  }
  pos += kinds * static_cast<std::uint64_t>(kSubCellsPerPixel - subCell);
  counter_ = first + pos;
}

// One draw at a time: the cheapest where few kinds qualify but many sub-cells
// have a candidate, each of which would cost the strided draws a pass.
void PlacementDraws::drawWithQualifyingKindsOneByOne(int x, RowAttempts& row) {
  const int qualifying = qualifying_;
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
    row.attempts.push_back(RowAttempts::Pack(8 * x + (i & 7), i >> 3,
                                             PickListed(candidates_.data(), n, key_, counter_++)));
  }
}

}  // namespace brackwyn
