#include "cli/terminal_progress.hpp"

#include <algorithm>
#include <cctype>
#include <optional>

#include "core/units.hpp"

namespace brackwyn::cli {
namespace {

constexpr std::size_t kBarWidth = 20;
constexpr std::string_view kClearToEnd = "\x1b[K";

// "... - 42% Complete" gives 42; texts without a percentage give nothing.
std::optional<int> Percentage(std::string_view text) {
  std::size_t percent = text.rfind('%');
  if (percent == std::string_view::npos)
    return std::nullopt;
  std::size_t digits = percent;
  while (digits > 0 && std::isdigit(static_cast<unsigned char>(text[digits - 1])))
    --digits;
  if (digits == percent || percent - digits > 3)
    return std::nullopt;
  int value = 0;
  for (std::size_t i = digits; i < percent; ++i)
    value = value * 10 + (text[i] - '0');
  return std::min(value, 100);
}

// Cuts at a character boundary so a multi-byte UTF-8 character is never split.
std::string_view CutToBytes(std::string_view text, std::size_t bytes) {
  if (text.size() <= bytes)
    return text;
  while (bytes > 0 && (static_cast<unsigned char>(text[bytes]) & 0xC0) == 0x80)
    --bytes;
  return text.substr(0, bytes);
}

}  // namespace

TerminalProgress::TerminalProgress(std::ostream& out, Style style, std::size_t width)
    : out_(out),
      style_(style),
      width_(std::max<std::size_t>(width, 20)),
      interval_(style == Style::InPlace ? kInPlaceInterval : kLinesInterval) {}

std::string_view TerminalProgress::ProgressText(std::string_view caption) {
  std::string idle = std::string(kProgramName) + " " + kVersionText;
  if (caption.starts_with(idle))
    caption.remove_prefix(idle.size());
  if (caption.starts_with(" - "))
    caption.remove_prefix(3);
  return caption;
}

std::string TerminalProgress::FormatLine(std::string_view text, std::size_t width) {
  std::size_t room = width - 1;  // the last column would wrap on some terminals
  std::optional<int> percentage = Percentage(text);
  if (!percentage)
    return std::string(CutToBytes(text, room));
  std::string bar = "  [";
  std::size_t filled = kBarWidth * static_cast<std::size_t>(*percentage) / 100;
  bar.append(filled, '#');
  bar.append(kBarWidth - filled, '.');
  bar += "]";
  if (room < bar.size() + 10)  // too narrow for a bar worth seeing
    return std::string(CutToBytes(text, room));
  return std::string(CutToBytes(text, room - bar.size())) + bar;
}

void TerminalProgress::captionChanged(std::string_view caption, Clock::time_point now) {
  if (drawnOnce_ && now - lastDraw_ < interval_) {
    pending_ = true;
    return;
  }
  draw(caption, now);
}

void TerminalProgress::flushDue(std::string_view caption, Clock::time_point now) {
  if (pending_ && now - lastDraw_ >= interval_)
    draw(caption, now);
}

void TerminalProgress::draw(std::string_view caption, Clock::time_point now) {
  pending_ = false;
  std::string_view text = ProgressText(caption);
  if (text == lastText_)
    return;
  lastText_ = text;
  drawnOnce_ = true;
  lastDraw_ = now;
  if (style_ == Style::Lines) {
    if (!text.empty())
      out_ << text << '\n' << std::flush;
    return;
  }
  out_ << '\r' << FormatLine(text, width_) << kClearToEnd << std::flush;
  lineVisible_ = !text.empty();
}

void TerminalProgress::finish() {
  pending_ = false;
  if (lineVisible_)
    out_ << '\r' << kClearToEnd << std::flush;
  lineVisible_ = false;
}

}  // namespace brackwyn::cli
