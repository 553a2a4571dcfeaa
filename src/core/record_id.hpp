// What the game accepts as the ID of a record a plugin defines, and as a name
// it reads: each reference repeats an object's ID, so an empty one, a control
// character or a huge one would give a plugin that looks written but cannot
// be used.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace brackwyn {

inline constexpr std::size_t kMaxRecordIdBytes = 255;

// Why `text` cannot serve, in a modder's words ("is empty", "holds the
// control character 9 at byte 3", ...), or nullopt when it can: it must not
// be empty, hold a control character or be longer than `maxBytes`.
std::optional<std::string> RecordIdFault(std::string_view text,
                                         std::size_t maxBytes = kMaxRecordIdBytes);

}  // namespace brackwyn
