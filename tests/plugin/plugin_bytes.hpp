// Reading plugin bytes back in tests: little-endian fields and the list of
// records and sub-records, with the framing checked on the way.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <vector>

namespace brackwyn::testing {

inline std::uint32_t ReadUint32(std::span<const std::uint8_t> bytes, std::size_t offset) {
  return static_cast<std::uint32_t>(bytes[offset]) |
         static_cast<std::uint32_t>(bytes[offset + 1]) << 8 |
         static_cast<std::uint32_t>(bytes[offset + 2]) << 16 |
         static_cast<std::uint32_t>(bytes[offset + 3]) << 24;
}

inline std::int32_t ReadInt32(std::span<const std::uint8_t> bytes, std::size_t offset) {
  return static_cast<std::int32_t>(ReadUint32(bytes, offset));
}

inline float ReadFloat(std::span<const std::uint8_t> bytes, std::size_t offset) {
  std::uint32_t bits = ReadUint32(bytes, offset);
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

inline std::string ReadTag(std::span<const std::uint8_t> bytes, std::size_t offset) {
  return std::string(bytes.begin() + static_cast<std::ptrdiff_t>(offset),
                     bytes.begin() + static_cast<std::ptrdiff_t>(offset + 4));
}

struct SubRecordView {
  std::string tag;
  std::size_t dataOffset;  // from the start of the file
  std::size_t dataSize;
};

struct RecordView {
  std::string tag;
  std::size_t offset;
  std::size_t size;  // with its 16-byte header
  std::vector<SubRecordView> subRecords;
};

// Walks the whole file. Each record's size must equal the sum of its
// sub-records with their headers, the two fields after the size must be zero,
// and the last record must end exactly at the end of the file.
inline std::vector<RecordView> ParseRecords(std::span<const std::uint8_t> bytes) {
  std::vector<RecordView> records;
  std::size_t offset = 0;
  while (offset < bytes.size()) {
    if (bytes.size() - offset < 16) {
      ADD_FAILURE() << "a partial record header at " << offset;
      break;
    }
    RecordView record{ReadTag(bytes, offset), offset, 16 + ReadUint32(bytes, offset + 4), {}};
    EXPECT_EQ(ReadUint32(bytes, offset + 8), 0u) << record.tag << " at " << offset;
    EXPECT_EQ(ReadUint32(bytes, offset + 12), 0u) << record.tag << " at " << offset;
    std::size_t end = offset + record.size;
    if (end > bytes.size()) {
      ADD_FAILURE() << record.tag << " at " << offset << " runs past the end of the file";
      break;
    }
    std::size_t sub = offset + 16;
    while (sub < end) {
      std::size_t size = ReadUint32(bytes, sub + 4);
      record.subRecords.push_back({ReadTag(bytes, sub), sub + 8, size});
      sub += 8 + size;
    }
    EXPECT_EQ(sub, end) << "sub-records of " << record.tag << " at " << offset
                        << " do not add up to its size";
    records.push_back(std::move(record));
    offset = end;
  }
  return records;
}

}  // namespace brackwyn::testing
