// What the game accepts as the ID of a record a plugin defines.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace brackwyn {

inline constexpr std::size_t kMaxRecordIdBytes = 255;

// Why `id` cannot name a record, in a modder's words ("is empty", ...), or
// nullopt when it can: an ID must not be empty, hold a control character or
// be longer than 255 bytes.
std::optional<std::string> RecordIdFault(std::string_view id);

}  // namespace brackwyn
