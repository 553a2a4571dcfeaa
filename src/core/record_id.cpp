#include "core/record_id.hpp"

namespace brackwyn {

std::optional<std::string> RecordIdFault(std::string_view id) {
  if (id.empty())
    return "is empty";
  if (id.size() > kMaxRecordIdBytes) {
    return "is " + std::to_string(id.size()) + " bytes long, more than the " +
           std::to_string(kMaxRecordIdBytes) + " the game reads";
  }
  for (char c : id) {
    auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F)
      return "holds a control character (byte " + std::to_string(byte) + ")";
  }
  return std::nullopt;
}

}  // namespace brackwyn
