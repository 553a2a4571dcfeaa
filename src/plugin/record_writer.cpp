#include "plugin/record_writer.hpp"

#include <bit>
#include <limits>
#include <stdexcept>

namespace brackwyn {

std::array<std::uint8_t, 4> EncodeInt32(std::int32_t value) {
  auto bits = static_cast<std::uint32_t>(value);
  return {static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8),
          static_cast<std::uint8_t>(bits >> 16), static_cast<std::uint8_t>(bits >> 24)};
}

void RecordWriter::writeTag(Tag tag) {
  bytes_.insert(bytes_.end(), tag.chars.begin(), tag.chars.end());
}

void RecordWriter::startRecord(Tag tag) {
  if (recordOpen())
    throw std::logic_error("a record is already open");
  recordStart_ = bytes_.size();
  writeTag(tag);
  writeZeros(12);  // size, the unused field and the flags
}

void RecordWriter::endRecord() {
  if (!recordOpen())
    throw std::logic_error("no record is open");
  if (subRecordStart_ != kNone)
    throw std::logic_error("a sub-record is still open");
  patchSize(recordStart_ + 4, recordStart_ + kRecordHeaderBytes);
  recordStart_ = kNone;
}

void RecordWriter::startSubRecord(Tag tag) {
  if (!recordOpen())
    throw std::logic_error("a sub-record needs an open record");
  if (subRecordStart_ != kNone)
    throw std::logic_error("a sub-record is already open");
  subRecordStart_ = bytes_.size();
  writeTag(tag);
  writeZeros(4);
}

void RecordWriter::endSubRecord() {
  if (subRecordStart_ == kNone)
    throw std::logic_error("no sub-record is open");
  patchSize(subRecordStart_ + 4, subRecordStart_ + kSubRecordHeaderBytes);
  subRecordStart_ = kNone;
}

void RecordWriter::patchSize(std::size_t sizeField, std::size_t dataStart) {
  std::size_t size = bytes_.size() - dataStart;
  if (size > std::numeric_limits<std::uint32_t>::max()) {
    throw std::length_error("record too large for its 32-bit size field");
  }
  auto encoded = EncodeInt32(static_cast<std::int32_t>(static_cast<std::uint32_t>(size)));
  std::copy(encoded.begin(), encoded.end(),
            bytes_.begin() + static_cast<std::ptrdiff_t>(sizeField));
}

void RecordWriter::writeSubRecord(Tag tag, std::span<const std::uint8_t> data) {
  startSubRecord(tag);
  writeBytes(data);
  endSubRecord();
}

void RecordWriter::writeZStringSubRecord(Tag tag, std::string_view text) {
  startSubRecord(tag);
  writeText(text);
  writeZeros(1);
  endSubRecord();
}

void RecordWriter::writeInt32SubRecord(Tag tag, std::int32_t value) {
  startSubRecord(tag);
  writeInt32(value);
  endSubRecord();
}

void RecordWriter::writeInt32(std::int32_t value) {
  auto encoded = EncodeInt32(value);
  bytes_.insert(bytes_.end(), encoded.begin(), encoded.end());
}

void RecordWriter::writeFloat(float value) {
  writeInt32(std::bit_cast<std::int32_t>(value));
}

void RecordWriter::writeBytes(std::span<const std::uint8_t> bytes) {
  bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
}

void RecordWriter::writeText(std::string_view text) {
  bytes_.insert(bytes_.end(), text.begin(), text.end());
}

void RecordWriter::writeZeros(std::size_t count) {
  writeFill(0, count);
}

void RecordWriter::writeFill(std::uint8_t value, std::size_t count) {
  bytes_.insert(bytes_.end(), count, value);
}

void RecordWriter::clear() {
  if (recordOpen())
    throw std::logic_error("cannot clear while a record is open");
  bytes_.clear();
}

}  // namespace brackwyn
