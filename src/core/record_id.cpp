#include "core/record_id.hpp"

#include <algorithm>

namespace brackwyn {
namespace {

bool IsControl(char c) {
  return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
}

}  // namespace

std::optional<std::string> RecordIdFault(std::string_view text, std::size_t maxBytes) {
  if (text.empty())
    return "is empty";
  if (auto control = std::find_if(text.begin(), text.end(), IsControl); control != text.end()) {
    return "holds the control character " + std::to_string(static_cast<unsigned char>(*control)) +
           " at byte " + std::to_string(control - text.begin() + 1);
  }
  if (text.size() > maxBytes) {
    return "is " + std::to_string(text.size()) + " bytes long, more than " +
           std::to_string(maxBytes);
  }
  return std::nullopt;
}

}  // namespace brackwyn
