#include "plugin/header_record.hpp"

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

void WriteHeaderRecord(RecordWriter& out, std::string_view masterName, std::uint64_t masterLength) {
  out.startRecord("TES3");
  WriteHedr(out);
  out.writeZStringSubRecord("MAST", masterName);
  WriteMasterLength(out, masterLength);
  out.endRecord();
}

}  // namespace brackwyn
