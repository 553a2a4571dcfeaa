#include "plugin/record_writer.hpp"

#include <algorithm>
#include <stdexcept>

namespace brackwyn {

void RecordWriter::startRecord(Tag tag) {
  if (recordOpen())
    throw std::logic_error("a record is already open");
  recordStart_ = size_;
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

void RecordWriter::FailSubRecordStart(bool recordOpen) {
  throw std::logic_error(recordOpen ? "a sub-record is already open"
                                    : "a sub-record needs an open record");
}

void RecordWriter::FailSubRecordEnd() {
  throw std::logic_error("no sub-record is open");
}

void RecordWriter::FailSize() {
  throw std::length_error("record too large for its 32-bit size field");
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

void RecordWriter::clear() {
  if (recordOpen())
    throw std::logic_error("cannot clear while a record is open");
  size_ = 0;
}

void RecordWriter::reallocate(std::size_t needed) {
  const std::size_t capacity = std::max({needed, 2 * capacity_, std::size_t{4096}});
  auto data = std::make_unique_for_overwrite<std::uint8_t[]>(capacity);
  if (size_ != 0)
    std::memcpy(data.get(), data_.get(), size_);
  data_ = std::move(data);
  capacity_ = capacity;
}

}  // namespace brackwyn
