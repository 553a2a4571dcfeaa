#include "plugin/header_record.hpp"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "plugin_bytes.hpp"

namespace brackwyn {
namespace {

std::vector<std::uint8_t> Header(std::string_view masterName, std::uint64_t masterLength) {
  RecordWriter out;
  WriteHeaderRecord(out, masterName, masterLength);
  return out.toVector();
}

void Append(std::vector<std::uint8_t>& bytes, std::initializer_list<std::uint8_t> more) {
  bytes.insert(bytes.end(), more);
}

TEST(HeaderRecord, DefaultMasterGoldenBytes) {
  auto bytes = Header("Brackwyn.esm", 0x01020304);
  std::vector<std::uint8_t> expected;
  Append(expected, {'T', 'E', 'S', '3', 0x59, 0x01, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});  // 345
  Append(expected, {'H', 'E', 'D', 'R', 0x2C, 0x01, 0, 0});                          // 300
  Append(expected, {0x9A, 0x99, 0x99, 0x3F, 0, 0, 0, 0});  // version 1.2, plugin
  expected.resize(320, 0);                                 // author, description
  Append(expected, {0x20, 0x20, 0x20, 0x20});              // record count placeholder
  Append(expected, {'M', 'A', 'S', 'T', 13, 0, 0, 0});
  Append(expected, {'B', 'r', 'a', 'c', 'k', 'w', 'y', 'n', '.', 'e', 's', 'm', 0});
  Append(expected, {'D', 'A', 'T', 'A', 8, 0, 0, 0, 4, 3, 2, 1, 0, 0, 0, 0});

  ASSERT_EQ(bytes.size(), 361u);
  EXPECT_EQ(bytes, expected);
  EXPECT_EQ(testing::ReadTag(bytes, 324), "MAST");
  EXPECT_EQ(testing::ReadTag(bytes, 345), "DATA");
}

// 2 GiB and more: the whole 64-bit length, not a wrapped 32-bit one.
TEST(HeaderRecord, MasterLengthUsesAll64Bits) {
  auto bytes = Header("M.esm", (std::uint64_t{5} << 30) + 3);
  std::vector<std::uint8_t> data(bytes.end() - 8, bytes.end());
  EXPECT_EQ(data, (std::vector<std::uint8_t>{3, 0, 0, 0x40, 1, 0, 0, 0}));
  auto twoGiB = Header("M.esm", std::uint64_t{1} << 31);
  EXPECT_EQ(std::vector<std::uint8_t>(twoGiB.end() - 8, twoGiB.end()),
            (std::vector<std::uint8_t>{0, 0, 0, 0x80, 0, 0, 0, 0}));
}

class HeaderRecordSize : public ::testing::TestWithParam<std::string> {};

TEST_P(HeaderRecordSize, Is349PlusTheMasterNameLength) {
  const std::string& name = GetParam();
  auto bytes = Header(name, 0);
  EXPECT_EQ(bytes.size(), 349 + name.size());
  EXPECT_EQ(bytes.size(), HeaderRecordBytes(name.size()));
  auto records = testing::ParseRecords(bytes);
  ASSERT_EQ(records.size(), 1u);
  ASSERT_EQ(records[0].subRecords.size(), 3u);
  EXPECT_EQ(records[0].subRecords[1].dataSize, name.size() + 1);
  EXPECT_EQ(testing::ReadUint32(bytes, kRecordCountFileOffset), 0x20202020u);
}

INSTANTIATE_TEST_SUITE_P(Names, HeaderRecordSize,
                         ::testing::Values("", "Brackwyn.esm", "Data Files/My World.esm",
                                           std::string(300, 'x')));

}  // namespace
}  // namespace brackwyn
