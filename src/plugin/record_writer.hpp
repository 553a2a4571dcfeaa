// Framing of plugin records and sub-records in memory.
//
// Every value is little-endian. A record is a 16-byte header (tag, data size,
// a zero field, zero flags) followed by its sub-records; its size counts the
// sub-records with their own 8-byte headers. A sub-record is a tag, a data
// size that excludes its header, and the data. The writer puts a zero size
// down when a record or sub-record starts and patches it when it ends, so no
// caller ever computes a size by hand.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace brackwyn {

struct Tag {
  std::array<char, 4> chars;

  // Only four-character literals are tags.
  consteval Tag(const char (&text)[5])  // NOLINT(google-explicit-constructor)
      : chars{text[0], text[1], text[2], text[3]} {}
};

inline constexpr std::size_t kRecordHeaderBytes = 16;
inline constexpr std::size_t kSubRecordHeaderBytes = 8;

class RecordWriter {
 public:
  void startRecord(Tag tag);
  void endRecord();
  void startSubRecord(Tag tag);
  void endSubRecord();

  void writeSubRecord(Tag tag, std::span<const std::uint8_t> data);
  // Text followed by one zero byte.
  void writeZStringSubRecord(Tag tag, std::string_view text);
  void writeInt32SubRecord(Tag tag, std::int32_t value);

  void writeInt32(std::int32_t value);
  void writeInt32(std::int64_t) = delete;  // would silently narrow
  void writeFloat(float value);
  void writeFloat(double) = delete;  // the format holds single precision only
  void writeBytes(std::span<const std::uint8_t> bytes);
  void writeText(std::string_view text);
  void writeZeros(std::size_t count);
  void writeFill(std::uint8_t value, std::size_t count);

  const std::vector<std::uint8_t>& bytes() const { return bytes_; }
  std::size_t size() const { return bytes_.size(); }
  bool recordOpen() const { return recordStart_ != kNone; }

  // Empties the buffer, keeping its capacity. Throws std::logic_error while a
  // record is open.
  void clear();

 private:
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

  void writeTag(Tag tag);
  void patchSize(std::size_t sizeField, std::size_t dataStart);

  std::vector<std::uint8_t> bytes_;
  std::size_t recordStart_ = kNone;
  std::size_t subRecordStart_ = kNone;
};

// Little-endian encodings, for the few places that patch a file in place.
std::array<std::uint8_t, 4> EncodeInt32(std::int32_t value);

}  // namespace brackwyn
