#include "plugin/record_writer.hpp"

#include <gtest/gtest.h>

namespace brackwyn {
namespace {

TEST(RecordWriter, FramesRecordsAndSubRecordsWithComputedSizes) {
  RecordWriter out;
  out.startRecord("CELL");
  out.writeZStringSubRecord("NAME", "");
  out.startSubRecord("DATA");
  out.writeInt32(0);
  out.writeInt32(-26);
  out.writeInt32(25);
  out.endSubRecord();
  out.endRecord();
  const std::vector<std::uint8_t> expected = {'C',  'E',  'L',  'L',  29, 0, 0, 0, 0, 0, 0, 0,
                                              0,    0,    0,    0,  // header, size 9 + 20
                                              'N',  'A',  'M',  'E',  1,  0, 0, 0, 0,           //
                                              'D',  'A',  'T',  'A',  12, 0, 0, 0, 0, 0, 0, 0,  //
                                              0xE6, 0xFF, 0xFF, 0xFF, 25, 0, 0, 0};
  EXPECT_EQ(out.toVector(), expected);
  EXPECT_EQ(out.size(), 45u);
}

TEST(RecordWriter, EncodesFloatsLittleEndian) {
  RecordWriter out;
  out.writeFloat(1.2f);
  out.writeFloat(-256.0f);
  EXPECT_EQ(out.toVector(), (std::vector<std::uint8_t>{0x9A, 0x99, 0x99, 0x3F, 0, 0, 0x80, 0xC3}));
}

TEST(RecordWriter, RefusesUnbalancedFraming) {
  RecordWriter out;
  EXPECT_THROW(out.startSubRecord("NAME"), std::logic_error);
  EXPECT_THROW(out.endRecord(), std::logic_error);
  out.startRecord("TES3");
  EXPECT_THROW(out.startRecord("TES3"), std::logic_error);
  out.startSubRecord("HEDR");
  EXPECT_THROW(out.endRecord(), std::logic_error);
  EXPECT_THROW(out.clear(), std::logic_error);
  out.endSubRecord();
  out.endRecord();
  out.clear();
  EXPECT_EQ(out.size(), 0u);
}

}  // namespace
}  // namespace brackwyn
