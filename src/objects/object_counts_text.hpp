// The text of txtObjectsCount: the running total of every kind number.
#pragma once

#include <cstdint>
#include <string>

#include "model/object_palette.hpp"

namespace brackwyn {

// Digits grouped in threes by commas, without leading zeros: 1234 gives
// "1,234", 0 gives an empty text.
std::string FormatGroupedCount(std::int64_t count);

// "Object ID - Total" and a line "<kind> - <count>" for every kind number
// 1..255, whatever the number of kinds; every line ends in CR LF.
std::string ObjectCountsText(const ObjectCounts& counts);

}  // namespace brackwyn
