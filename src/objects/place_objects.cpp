#include "objects/place_objects.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "core/number_text.hpp"
#include "core/run_error.hpp"
#include "core/thread_count.hpp"
#include "model/control_names.hpp"
#include "model/setting_number.hpp"
#include "objects/band_writer.hpp"
#include "objects/draws_ahead.hpp"
#include "objects/object_counts_text.hpp"
#include "objects/placement_window.hpp"

namespace brackwyn {
namespace {

constexpr int kLastSubCell = kSubCellGridSide - 1;

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

  bool overlaps(const Span& other) const {
    return u0 <= other.u1 && other.u0 <= u1 && v0 <= other.v1 && other.v0 <= v1;
  }

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

double ReadDivisor(const WindowModel& window) {
  constexpr std::string_view kName = control::txtObjectDivisor;
  double divisor = SettingNumber(window, kName);
  if (!(divisor > 0) || !std::isfinite(divisor)) {
    throw RunError("Setting " + DescribeSetting(kName) + ": \"" + window.text(kName) +
                   "\" is not a number above 0. Enter any number above 0, such as 64; higher "
                   "values place fewer objects.");
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

// An empty box would place nothing and still report a finished run.
void CheckConfineOrder(const WindowModel& window, std::string_view lowName, int low,
                       std::string_view highName, int high) {
  if (low <= high)
    return;
  throw RunError("Settings " + DescribeSetting(lowName) + " and " + DescribeSetting(highName) +
                 ": the confine box runs from " + std::to_string(low) + " to " +
                 std::to_string(high) + ", so it holds no vertex. The first value must not be " +
                 "above the second (\"" + window.text(lowName) + "\" > \"" + window.text(highName) +
                 "\").");
}

class Placer {
 public:
  Placer(RunContext& run, const ObjectDensity& density, PlacementFiles& files);
  void placeAll();

 private:
  void readDivisor();
  void readColumns();
  void yield();
  void placeRow(int y);
  void prefetchAhead(int x, const RowAttempts& row);
  void tryPlace(int kind, int sx, int sy);
  void showRowProgress(int y);

  RunContext& run_;
  const ObjectDensity& density_;
  std::uint64_t counter_;

  std::vector<KindSquares> squares_;  // by kind number
  const int threads_;
  // Before the windows, which hand their bands to them. Two writers, so that
  // where placement leaves a core idle, two files take their bytes at once.
  BandWriter writer_;
  BandWriter topWriter_;
  PlacementWindow base_;
  PlacementWindow top_;
  PlacementWindow objects_;
  std::optional<DrawsAhead> draws_;
  // The squares of the object placed last: most attempts near it fail on it,
  // and telling so from these spans spares re-reading bytes just stored.
  Span lastBase_{0, -1, 0, -1};
  Span lastTop_{0, -1, 0, -1};

  double divisor_ = 0;
  bool columnsStale_ = true;
  int x1_ = 0;
  int x2_ = -1;
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

Placer::Placer(RunContext& run, const ObjectDensity& density, PlacementFiles& files)
    : run_(run),
      density_(density),
      counter_(run.state.random.position()),
      squares_(SquaresOf(run.state.objectPalette)),
      threads_(ThreadCount()),
      writer_(threads_),
      topWriter_(threads_),
      base_(files.base, writer_, ReachBelow(squares_, &KindSquares::base),
            ReachAbove(squares_, &KindSquares::base)),
      top_(files.top, topWriter_, ReachBelow(squares_, &KindSquares::top),
           ReachAbove(squares_, &KindSquares::top)),
      objects_(files.objects, writer_, 0, 0) {}

void Placer::readDivisor() {
  divisor_ = ReadDivisor(run_.window);
}

void Placer::readColumns() {
  x1_ = ReadConfineValue(run_.window, control::txtConfineObjectsX1);
  x2_ = ReadConfineValue(run_.window, control::txtConfineObjectsX2);
  CheckConfineOrder(run_.window, control::txtConfineObjectsX1, x1_, control::txtConfineObjectsX2,
                    x2_);
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
  CheckConfineOrder(run_.window, control::txtConfineObjectsY1, y1, control::txtConfineObjectsY2,
                    y2);
  draws_.emplace(density_, run_.state.random.key(), y2, threads_);
  for (int y = y1; y <= y2; ++y) {
    if (columnsStale_)
      readColumns();
    base_.enterPixelRow(y);
    top_.enterPixelRow(y);
    objects_.enterPixelRow(y);
    placeRow(y);
    showRowProgress(y);
    run_.window.setText(control::txtObjectsCount, ObjectCountsText(run_.state.objectCounts));
    yield();
  }
  base_.finish();
  top_.finish();
  objects_.finish();
  writer_.finish();
  topWriter_.finish();
  draws_.reset();
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

// The row's attempts may have been drawn ahead; a divisor changed in the
// middle of the row invalidates those of the pixels still to come.
void Placer::placeRow(int y) {
  const DrawSettings settings{divisor_, x1_, x2_};
  const RowAttempts* row = &draws_->take(y, settings, counter_);
  std::size_t next = 0;
  for (int x = settings.x1; x <= settings.x2; ++x) {
    prefetchAhead(x, *row);
    const auto pixel = static_cast<std::size_t>(x - row->from);
    for (; next < row->pixelEnd[pixel]; ++next) {
      std::uint32_t attempt = row->attempts[next];
      tryPlace(RowAttempts::Kind(attempt), RowAttempts::Column(attempt),
               8 * y + RowAttempts::SubRow(attempt));
    }
    counter_ = row->counterAfter[pixel];
    yield();
    if (divisor_ != row->settings.divisor && x < settings.x2) {
      row = &draws_->redraw(x + 1, {divisor_, settings.x1, settings.x2}, counter_);
      next = 0;
    }
  }
}

// One cache line of a band row holds the sub-cells of eight pixels; the
// lines of the pixels two lines ahead are asked for as a line begins, when
// those pixels have attempts: asking for lines no attempt reads costs more
// than it saves where densities are sparse.
void Placer::prefetchAhead(int x, const RowAttempts& row) {
  constexpr int kPixelsPerLine = 64 / kSubCellsPerPixelSide;
  constexpr int kPixelsAhead = 2 * kPixelsPerLine;
  if (x % kPixelsPerLine != 0 || x + kPixelsAhead >= kBitmapSide)
    return;
  const auto first = static_cast<std::size_t>(x + kPixelsAhead - row.from);
  const std::size_t end = std::min(first + kPixelsPerLine, row.pixelEnd.size());
  if (first >= end || row.pixelEnd[end - 1] == row.pixelEnd[first - 1])
    return;
  const int sx = kSubCellsPerPixelSide * (x + kPixelsAhead);
  base_.prefetchColumn(sx);
  top_.prefetchColumn(sx);
  objects_.prefetchColumn(sx);
}

void Placer::tryPlace(int kind, int sx, int sy) {
  const KindSquares& squares = squares_[static_cast<std::size_t>(kind)];
  Span base = Span::Around(squares.base, sx, sy);
  Span top = Span::Around(squares.top, sx, sy);
  if (squares.base.size > 0 &&
      (base.overlaps(lastBase_) || base_.anyInSquare(base.u0, base.u1, base.v0, base.v1)))
    return;
  if (squares.top.size > 0 &&
      (top.overlaps(lastTop_) || top_.anyInSquare(top.u0, top.u1, top.v0, top.v1)))
    return;
  auto value = static_cast<std::uint8_t>(kind);
  if (squares.base.size > 0) {
    base_.fillSquare(base.u0, base.u1, base.v0, base.v1, value);
    lastBase_ = base;
  }
  if (squares.top.size > 0) {
    top_.fillSquare(top.u0, top.u1, top.v0, top.v1, value);
    lastTop_ = top;
  }
  objects_.set(sx, sy, value);
  ++run_.state.objectCounts[static_cast<std::size_t>(kind)];
}

}  // namespace

void PlaceObjects(RunContext& run, const ObjectDensity& density, PlacementFiles& files) {
  Placer placer(run, density, files);
  placer.placeAll();
}

}  // namespace brackwyn
