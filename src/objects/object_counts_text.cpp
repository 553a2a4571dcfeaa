#include "objects/object_counts_text.hpp"

namespace brackwyn {

std::string FormatGroupedCount(std::int64_t count) {
  if (count == 0)
    return {};
  std::string digits = std::to_string(count < 0 ? -count : count);
  std::string grouped;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0)
      grouped.push_back(',');
    grouped.push_back(digits[i]);
  }
  return count < 0 ? "-" + grouped : grouped;
}

std::string ObjectCountsText(const ObjectCounts& counts) {
  std::string text = "Object ID - Total\r\n";
  text.reserve(4096);
  for (int kind = 1; kind <= kMaxObjectKinds; ++kind) {
    text += std::to_string(kind);
    text += " - ";
    text += FormatGroupedCount(counts[static_cast<std::size_t>(kind)]);
    text += "\r\n";
  }
  return text;
}

}  // namespace brackwyn
