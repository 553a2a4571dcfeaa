// Reads a plugin of any writer: the header, a count of every record type,
// the cells with their references and the land records. Records and
// sub-records may come in any order and records of types it does not know
// are counted and skipped. Every size is checked against the bytes that are
// really there: a truncated or corrupt file gives a PluginReadError naming
// the byte offset and the record, never a read past the end. Memory stays
// bounded whatever the file claims: records are read one at a time, and a
// record larger than kMaxPluginRecordBytes is refused.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/run_error.hpp"

namespace brackwyn {

class PluginReadError : public RunError {
 public:
  using RunError::RunError;
};

struct PluginMaster {
  std::string name;
  std::optional<std::uint64_t> size;  // from the DATA after its MAST
};

struct PluginHeader {
  float version = 0;
  std::int32_t fileType = 0;
  std::string author;
  std::string description;
  std::int32_t recordCount = 0;  // as the header states it
  std::vector<PluginMaster> masters;
};

struct PluginReference {
  std::size_t offset = 0;  // of its FRMR sub-record
  std::int32_t number = 0;
  std::string id;
  std::optional<float> scale;
  std::optional<std::array<float, 6>> placement;  // X, Y, Z, rotations about X, Y, Z
};

struct PluginCell {
  std::size_t offset = 0;
  std::string name;
  std::uint32_t flags = 0;
  std::int32_t gridX = 0, gridY = 0;
  bool interior() const { return (flags & 1u) != 0; }
  std::vector<PluginReference> references;
};

struct PluginLand {
  std::size_t offset = 0;
  std::int32_t gridX = 0, gridY = 0;
  // Tags in file order, the first kListedSubRecords of them; the others are
  // only counted, so that a corrupt record cannot fill the memory.
  static constexpr std::size_t kListedSubRecords = 64;
  std::vector<std::string> subRecords;
  std::uint64_t unlistedSubRecords = 0;
  bool hasNormals = false;
  bool normalsAllZero = false;
  std::optional<float> baseHeight;        // with heightSteps, from VHGT
  std::vector<std::uint8_t> heightSteps;  // 4225 two's complement bytes, or none
  std::vector<std::uint8_t> colors;       // 12675 bytes, or none

  bool has(std::string_view tag) const;
};

struct PluginStatic {
  std::size_t offset = 0;
  std::string id;  // its NAME
};

struct PluginContents {
  std::uint64_t fileSize = 0;
  PluginHeader header;
  std::map<std::string, int> recordCounts;  // by tag, the header record included
  std::vector<PluginCell> cells;            // interior and exterior, in file order
  std::vector<PluginLand> lands;            // in file order
  std::vector<PluginStatic> statics;        // in file order
};

// A larger record is refused as corrupt: the largest the game's own files
// hold is a fraction of this.
inline constexpr std::uint64_t kMaxPluginRecordBytes = std::uint64_t{256} << 20;

// `fileName` names the file in messages.
PluginContents ReadPlugin(std::span<const std::uint8_t> bytes, std::string_view fileName);
PluginContents ReadPluginFile(const std::filesystem::path& path);

}  // namespace brackwyn
