#include "objects/draws_ahead.hpp"

#include "core/wait_timers.hpp"

namespace brackwyn {
namespace {

// Enough to ride out the rows that cost the placing thread more than the
// drawing one, little enough to be redrawn cheaply when a setting changes.
constexpr std::size_t kRowsAhead = 4;

}  // namespace

DrawsAhead::DrawsAhead(const ObjectDensity& density, std::uint64_t key, int lastRow, int threads)
    : here_(density, key),
      ahead_(density, key),
      lastRow_(lastRow),
      threaded_(threads >= 2),
      current_(std::make_unique<RowAttempts>()),
      rows_(kRowsAhead, WaitPlace::kRowWaiting, WaitPlace::kRowsAheadFull) {
  if (threaded_) {
    bytesAhead_ = std::make_unique<DrawBytesAhead>(key, threads >= 3);
    ahead_.takeBytesFrom(bytesAhead_.get());
  }
}

const RowAttempts& DrawsAhead::take(int y, const DrawSettings& settings, std::uint64_t counter) {
  if (!threaded_) {
    here_.draw(y, settings.x1, settings, counter, *current_);
    return *current_;
  }
  WaitTimer timer(WaitPlace::kRowTaken);
  if (!rows_.running() || aheadSettings_ != settings || rows_.next() != y)
    start(y, settings, counter);
  // While the row is not drawn yet, this thread makes the bytes drawing needs.
  const auto makeBytes = [this] {
    WaitTimer helping(WaitPlace::kRowHelping);
    return bytesAhead_->makeOneAhead();
  };
  std::unique_ptr<RowAttempts> row = rows_.take(makeBytes);
  if (row->counterStart != counter) {
    start(y, settings, counter);
    row = rows_.take(makeBytes);
  }
  rows_.recycle(std::move(current_));
  current_ = std::move(row);
  return *current_;
}

const RowAttempts& DrawsAhead::redraw(int from, const DrawSettings& settings,
                                      std::uint64_t counter) {
  here_.draw(current_->y, from, settings, counter, *current_);
  return *current_;
}

void DrawsAhead::start(int y, const DrawSettings& settings, std::uint64_t counter) {
  aheadSettings_ = settings;
  rows_.start(y, lastRow_, [this, settings, counter](int row, RowAttempts& out) mutable {
    ahead_.draw(row, settings.x1, settings, counter, out);
    if (!out.counterAfter.empty())
      counter = out.counterAfter.back();
  });
}

}  // namespace brackwyn
