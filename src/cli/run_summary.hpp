// What the runner prints after a run: the window's output areas turned into
// terminal text, and the clipping report written out in full.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

#include "model/object_palette.hpp"
#include "model/progress_reporter.hpp"

namespace brackwyn::cli {

inline constexpr char kClippingReportFileName[] = "clipping-report.txt";
inline constexpr std::size_t kClippingReportsShown = 5;

// 1234567 gives "1,234,567", as the window groups counts.
std::string GroupDigits(std::int64_t value);

// txtTimes as indented lines with the CR LF line ends made plain.
std::string StageTimeLogText(std::string_view times);

// One line: how many clipping reports txtLog holds, the first few as (x, y),
// and the file that holds them all; `reportFile` empty when it could not be
// written, and then the summary points to no file.
std::string ClippingSummary(std::string_view log, std::string_view reportFile);

// The warnings about the object index file `indexFile`, one a line; empty
// when there are none.
std::string IndexWarningSummary(const ObjectPalette& palette, std::string_view indexFile);

// The kinds that have placed objects, with their counts; empty when none.
std::string ObjectCountSummary(const ObjectPalette& palette, const ObjectCounts& counts);

// --timings: each stage's exact duration in milliseconds, and the total.
std::string StageDurationTable(std::span<const StageTiming> timings);

}  // namespace brackwyn::cli
