#include "cli/run_summary.hpp"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace brackwyn::cli {
namespace {

std::vector<std::string_view> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (line.ends_with('\r'))
      line.remove_suffix(1);
    if (!line.empty())
      lines.push_back(line);
    if (end == std::string_view::npos)
      break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

// "x: 10 y: 20" reads better as "(10, 20)"; anything else is shown as it is.
std::string Coordinates(std::string_view report) {
  std::size_t y = report.find(" y: ");
  if (!report.starts_with("x: ") || y == std::string_view::npos)
    return std::string(report);
  std::string coordinates = "(";
  coordinates.append(report.substr(3, y - 3)).append(", ").append(report.substr(y + 4));
  return coordinates + ")";
}

}  // namespace

std::string GroupDigits(std::int64_t value) {
  std::string digits = std::to_string(value < 0 ? -value : value);
  std::string grouped = value < 0 ? "-" : "";
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0)
      grouped += ',';
    grouped += digits[i];
  }
  return grouped;
}

std::string StageTimeLogText(std::string_view times) {
  std::string text;
  for (std::string_view line : Lines(times))
    text += "  " + std::string(line) + "\n";
  return text;
}

std::string ClippingSummary(std::string_view log, std::string_view reportFile) {
  std::vector<std::string_view> reports = Lines(log);
  if (reports.empty() && reportFile.empty())
    return "Vertex height clipping: none.\n";
  if (reports.empty())
    return "Vertex height clipping: none (" + std::string(reportFile) + " is empty).\n";
  std::string summary = "Vertex height clipping: " + GroupDigits(std::ssize(reports)) +
                        (reports.size() == 1 ? " report, at " : " reports, at ");
  std::size_t shown = std::min(reports.size(), kClippingReportsShown);
  for (std::size_t i = 0; i < shown; ++i)
    summary += (i == 0 ? "" : ", ") + Coordinates(reports[i]);
  if (reports.size() > shown)
    summary += " and " + GroupDigits(static_cast<std::int64_t>(reports.size() - shown)) + " more";
  summary += " (pixel coordinates from the bottom-left corner of the bitmaps).\n";
  if (reportFile.empty())
    return summary + "The whole report could not be written.\n";
  return summary + "The whole report is in " + std::string(reportFile) + ".\n";
}

std::string IndexWarningSummary(const ObjectPalette& palette, std::string_view indexFile) {
  if (palette.warnings.empty())
    return "";
  std::string summary = "Warnings about the object index " + std::string(indexFile) + ":\n";
  for (const std::string& warning : palette.warnings)
    summary += "  " + warning + "\n";
  return summary;
}

std::string ObjectCountSummary(const ObjectPalette& palette, const ObjectCounts& counts) {
  std::string summary;
  for (std::size_t kind = 1; kind < counts.size(); ++kind) {
    if (counts[kind] == 0)
      continue;
    int number = static_cast<int>(kind);
    std::string name =
        number <= palette.kindCount() ? palette.kind(number).id : "kind " + std::to_string(number);
    summary += "  " + std::to_string(number) + " " + name + ": " + GroupDigits(counts[kind]) + "\n";
  }
  return summary.empty() ? summary : "Objects placed:\n" + summary;
}

std::string StageDurationTable(std::span<const StageTiming> timings) {
  std::string table = "Stage durations:\n";
  double total = 0;
  auto row = [&](std::string_view name, double seconds) {
    char line[96];
    std::snprintf(line, sizeof line, "  %-20.*s %10.1f ms\n", static_cast<int>(name.size()),
                  name.data(), seconds * 1000);
    table += line;
  };
  for (const StageTiming& timing : timings) {
    row(timing.stageName, timing.seconds);
    total += timing.seconds;
  }
  row("Total", total);
  return table;
}

}  // namespace brackwyn::cli
