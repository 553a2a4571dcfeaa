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
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
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

// `value` as four little-endian bytes at `at`.
inline void StoreInt32(std::uint8_t* at, std::int32_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  for (int i = 0; i < 4; ++i)
    at[i] = static_cast<std::uint8_t>(bits >> (8 * i));
}

class RecordWriter {
 public:
  void startRecord(Tag tag);
  void endRecord();
  void startSubRecord(Tag tag) {
    if (!recordOpen() || subRecordStart_ != kNone)
      FailSubRecordStart(recordOpen());
    subRecordStart_ = size_;
    writeTag(tag);
    writeInt32(0);
  }
  void endSubRecord() {
    if (subRecordStart_ == kNone)
      FailSubRecordEnd();
    patchSize(subRecordStart_ + 4, subRecordStart_ + kSubRecordHeaderBytes);
    subRecordStart_ = kNone;
  }

  void writeSubRecord(Tag tag, std::span<const std::uint8_t> data);
  // Text followed by one zero byte.
  void writeZStringSubRecord(Tag tag, std::string_view text);
  void writeInt32SubRecord(Tag tag, std::int32_t value);

  // The small writes are inline: a cell dense with references makes millions.
  void writeInt32(std::int32_t value) { StoreInt32(grow(4), value); }
  void writeInt32(std::int64_t) = delete;  // would silently narrow
  void writeFloat(float value) { writeInt32(std::bit_cast<std::int32_t>(value)); }
  void writeFloat(double) = delete;  // the format holds single precision only
  void writeBytes(std::span<const std::uint8_t> bytes) {
    if (!bytes.empty())
      std::memcpy(grow(bytes.size()), bytes.data(), bytes.size());
  }
  void writeText(std::string_view text) {
    if (!text.empty())
      std::memcpy(grow(text.size()), text.data(), text.size());
  }
  void writeZeros(std::size_t count) { writeFill(0, count); }
  void writeFill(std::uint8_t value, std::size_t count) {
    if (count != 0)
      std::memset(grow(count), value, count);
  }

  std::span<const std::uint8_t> bytes() const { return {data_.get(), size_}; }
  std::vector<std::uint8_t> toVector() const { return {data_.get(), data_.get() + size_}; }
  std::size_t size() const { return size_; }
  bool recordOpen() const { return recordStart_ != kNone; }

  // Empties the buffer, keeping its capacity. Throws std::logic_error while a
  // record is open.
  void clear();

 private:
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

  // The next `count` bytes of the buffer, to be written by the caller. Not a
  // vector: resizing one sets every new byte first, which doubles the cost of
  // the small writes.
  std::uint8_t* grow(std::size_t count) {
    const std::size_t at = size_;
    if (capacity_ - at < count)
      reallocate(at + count);
    size_ = at + count;
    return data_.get() + at;
  }
  void reallocate(std::size_t needed);
  void writeTag(Tag tag) { std::memcpy(grow(4), tag.chars.data(), 4); }
  void patchSize(std::size_t sizeField, std::size_t dataStart) {
    const std::size_t size = size_ - dataStart;
    if (size > std::numeric_limits<std::uint32_t>::max())
      FailSize();
    StoreInt32(data_.get() + sizeField,
               static_cast<std::int32_t>(static_cast<std::uint32_t>(size)));
  }
  [[noreturn]] static void FailSubRecordStart(bool recordOpen);
  [[noreturn]] static void FailSubRecordEnd();
  [[noreturn]] static void FailSize();

  std::unique_ptr<std::uint8_t[]> data_;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
  std::size_t recordStart_ = kNone;
  std::size_t subRecordStart_ = kNone;
};

// Little-endian encodings, for the few places that patch a file in place.
inline std::array<std::uint8_t, 4> EncodeInt32(std::int32_t value) {
  std::array<std::uint8_t, 4> bytes;
  StoreInt32(bytes.data(), value);
  return bytes;
}

}  // namespace brackwyn
