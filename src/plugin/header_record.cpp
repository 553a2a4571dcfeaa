#include "plugin/header_record.hpp"

#include "core/run_error.hpp"
#include "model/control_names.hpp"
#include "model/control_table.hpp"

namespace brackwyn {
namespace {

constexpr float kFormatVersion = 1.2f;
constexpr std::int32_t kFileTypePlugin = 0;
constexpr std::size_t kAuthorBytes = 32;
constexpr std::size_t kDescriptionBytes = 256;
// Holds the count field until the writer knows the count.
constexpr std::uint8_t kRecordCountPlaceholder = 0x20;

static_assert(4 + 4 + kAuthorBytes + kDescriptionBytes == kRecordCountInHedr);
static_assert(kRecordCountInHedr + 4 == kHedrDataBytes);

void WriteHedr(RecordWriter& out) {
  out.startSubRecord("HEDR");
  out.writeFloat(kFormatVersion);
  out.writeInt32(kFileTypePlugin);
  out.writeZeros(kAuthorBytes);
  out.writeZeros(kDescriptionBytes);
  out.writeFill(kRecordCountPlaceholder, 4);
  out.endSubRecord();
}

// The master's length as a 64-bit little-endian integer: low word first.
void WriteMasterLength(RecordWriter& out, std::uint64_t length) {
  out.startSubRecord("DATA");
  out.writeInt32(static_cast<std::int32_t>(static_cast<std::uint32_t>(length)));
  out.writeInt32(static_cast<std::int32_t>(static_cast<std::uint32_t>(length >> 32)));
  out.endSubRecord();
}

}  // namespace

std::string MasterNameInPlugin(const std::string& setting) {
  std::size_t slash = setting.find_last_of("/\\");
  std::string name = slash == std::string::npos ? setting : setting.substr(slash + 1);
  if (name.empty()) {
    throw RunError("Setting " + DescribeSetting(control::txtESM) + ": \"" + setting +
                   "\" names no file. Give the master's file name, such as Brackwyn.esm.");
  }
  return name;
}

void WriteHeaderRecord(RecordWriter& out, std::string_view masterName, std::uint64_t masterLength) {
  out.startRecord("TES3");
  WriteHedr(out);
  out.writeZStringSubRecord("MAST", masterName);
  WriteMasterLength(out, masterLength);
  out.endRecord();
}

}  // namespace brackwyn
