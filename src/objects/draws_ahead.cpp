#include "objects/draws_ahead.hpp"

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
      current_(std::make_unique<RowAttempts>()) {}

DrawsAhead::~DrawsAhead() {
  stop();
}

const RowAttempts& DrawsAhead::take(int y, const DrawSettings& settings, std::uint64_t counter) {
  if (!threaded_) {
    here_.draw(y, settings.x1, settings, counter, *current_);
    return *current_;
  }
  if (thread_.joinable() && (aheadSettings_ != settings || aheadNextRow_ != y))
    stop();
  if (!thread_.joinable())
    start(y, settings, counter);
  std::unique_ptr<RowAttempts> row = nextReady();
  if (row->counterStart != counter) {
    stop();
    start(y, settings, counter);
    row = nextReady();
  }
  ++aheadNextRow_;
  {
    std::lock_guard lock(mutex_);
    spare_.push_back(std::move(current_));
  }
  changed_.notify_all();
  current_ = std::move(row);
  return *current_;
}

const RowAttempts& DrawsAhead::redraw(int from, const DrawSettings& settings,
                                      std::uint64_t counter) {
  here_.draw(current_->y, from, settings, counter, *current_);
  return *current_;
}

void DrawsAhead::start(int y, const DrawSettings& settings, std::uint64_t counter) {
  stopping_ = false;
  failure_ = nullptr;
  aheadNextRow_ = y;
  aheadSettings_ = settings;
  thread_ = std::thread([this, y, settings, counter] { drawRows(y, settings, counter); });
}

void DrawsAhead::stop() {
  if (!thread_.joinable())
    return;
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  thread_.join();
  for (auto& row : ready_)
    spare_.push_back(std::move(row));
  ready_.clear();
}

void DrawsAhead::drawRows(int y, DrawSettings settings, std::uint64_t counter) {
  try {
    for (; y <= lastRow_; ++y) {
      std::unique_ptr<RowAttempts> row;
      {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return stopping_ || ready_.size() < kRowsAhead; });
        if (stopping_)
          return;
        if (spare_.empty()) {
          row = std::make_unique<RowAttempts>();
        } else {
          row = std::move(spare_.back());
          spare_.pop_back();
        }
      }
      ahead_.draw(y, settings.x1, settings, counter, *row);
      if (!row->counterAfter.empty())
        counter = row->counterAfter.back();
      {
        std::lock_guard lock(mutex_);
        ready_.push_back(std::move(row));
      }
      changed_.notify_all();
    }
  } catch (...) {
    std::lock_guard lock(mutex_);
    failure_ = std::current_exception();
    changed_.notify_all();
  }
}

std::unique_ptr<RowAttempts> DrawsAhead::nextReady() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return !ready_.empty() || failure_; });
  if (ready_.empty())
    std::rethrow_exception(failure_);
  std::unique_ptr<RowAttempts> row = std::move(ready_.front());
  ready_.pop_front();
  return row;
}

}  // namespace brackwyn
