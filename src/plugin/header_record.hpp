// The plugin's header record: TES3 with HEDR, MAST and DATA.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "plugin/record_writer.hpp"

namespace brackwyn {

inline constexpr std::size_t kHedrDataBytes = 300;
inline constexpr std::size_t kMasterLengthBytes = 8;

// HEDR directly follows the record header, so the record count always sits at
// the same file offset, whatever the master name.
inline constexpr std::size_t kRecordCountInHedr = 296;
inline constexpr std::uint64_t kRecordCountFileOffset =
    kRecordHeaderBytes + kSubRecordHeaderBytes + kRecordCountInHedr;

constexpr std::size_t HeaderRecordBytes(std::size_t masterNameLength) {
  return kRecordHeaderBytes + (kSubRecordHeaderBytes + kHedrDataBytes) +
         (kSubRecordHeaderBytes + masterNameLength + 1) +
         (kSubRecordHeaderBytes + kMasterLengthBytes);
}

static_assert(kRecordCountFileOffset == 320);
static_assert(HeaderRecordBytes(0) == 349);
static_assert(HeaderRecordBytes(12) == 361);  // "Brackwyn.esm"

// The master's name as the plugin's master list holds it: the text of the
// setting after its last '/' or '\\', on every system, since the game looks
// masters up by file name in its data folder. Throws RunError when no name is
// left.
std::string MasterNameInPlugin(const std::string& setting);

// Appends the whole header record. The record count is a placeholder until the
// writer knows it and overwrites it at kRecordCountFileOffset.
void WriteHeaderRecord(RecordWriter& out, std::string_view masterName, std::uint64_t masterLength);

}  // namespace brackwyn
