#include "objects/object_index.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "core/run_error.hpp"
#include "support/test_support.hpp"

namespace brackwyn {
namespace {

constexpr char kHeader[] = "ID,Bitmap,Scale,Base,Top\r\n";

ObjectPalette Parse(std::string_view text) {
  auto bytes = reinterpret_cast<const std::uint8_t*>(text.data());
  return ParseObjectIndex({bytes, text.size()}, "the object index file \"objects.csv\"");
}

std::string ParseError(std::string_view text) {
  try {
    Parse(text);
  } catch (const RunError& error) {
    return error.what();
  }
  ADD_FAILURE() << "no error for: " << text;
  return {};
}

void ExpectKind(const ObjectKind& kind, const std::string& id, const std::string& bitmap, int scale,
                int base, int top) {
  EXPECT_EQ(kind.id, id);
  EXPECT_EQ(kind.bitmapFile, bitmap);
  EXPECT_EQ(kind.scaleVariation, scale);
  EXPECT_EQ(kind.baseSize, base);
  EXPECT_EQ(kind.topSize, top);
}

class SameSingleKind : public ::testing::TestWithParam<const char*> {};

TEST_P(SameSingleKind, WhateverTheLineEnds) {
  ObjectPalette palette = Parse(std::string(kHeader) + GetParam());
  ASSERT_EQ(palette.kindCount(), 1);
  ExpectKind(palette.kind(1), "tree", "tree.bmp", 20, 3, 9);
}

INSTANTIATE_TEST_SUITE_P(ObjectIndex, SameSingleKind,
                         ::testing::Values("tree,tree.bmp,20,3,9\r\n",      // CR LF
                                           "tree,tree.bmp,20,3,9",          // no line end
                                           "tree,tree.bmp,20\r\n3,9\r\n",   // split record
                                           "tree,tree.bmp,20,3,9\r\n\r\n",  // empty last line
                                           "tree,tree.bmp,20,3,9\r\n\r\n\r\n",
                                           "tree,tree.bmp,20,3,9\r\nx",  // one stray byte
                                           "tree,tree.bmp,20,3,9\n",     // LF
                                           "tree,tree.bmp,20,3,9\r",     // CR
                                           "tree,tree.bmp,20\n3,9\n\n", "tree,tree.bmp,20\r3,9\r\r",
                                           "tree,tree.bmp, 2 0,\t3, 9 "));

TEST(ObjectIndex, LineEndsNeverTakeAByteOfAnId) {
  for (const char* end : {"\r\n", "\n", "\r"}) {
    std::string text = std::string("ID,Bitmap,Scale,Base,Top") + end + "tree,t.bmp,1,2,3" + end +
                       "rock,r.bmp,4,5,6" + end;
    ObjectPalette palette = Parse(text);
    ASSERT_EQ(palette.kindCount(), 2);
    ExpectKind(palette.kind(1), "tree", "t.bmp", 1, 2, 3);
    ExpectKind(palette.kind(2), "rock", "r.bmp", 4, 5, 6);
  }
}

TEST(ObjectIndex, RefusesIdsTheGameCannotUse) {
  struct Case {
    std::string record;
    const char* expected;
  } cases[] = {
      {",t.bmp,1,2,3", "object kind 1 (\"\", line 2): its ID is empty"},
      {std::string("tr\0ee,t.bmp,1,2,3", 17), "its ID holds the control character 0 at byte 3"},
      {"tr\tee,t.bmp,1,2,3", "control character 9"},
      {std::string(256, 'a') + ",t.bmp,1,2,3", "its ID is 256 bytes long, more than 255"},
      {"tree,,1,2,3", "its density bitmap name is empty"},
  };
  for (const Case& c : cases) {
    std::string message = ParseError(std::string(kHeader) + c.record + "\r\n");
    EXPECT_NE(message.find(c.expected), std::string::npos) << message;
    EXPECT_NE(message.find("objects.csv"), std::string::npos) << message;
  }
  EXPECT_EQ(Parse(std::string(kHeader) + std::string(255, 'a') + ",t.bmp,1,2,3").kind(1).id.size(),
            255u);
}

TEST(ObjectIndex, TextFieldsKeepEveryByteAndRecordsFollowInOrder) {
  ObjectPalette palette =
      Parse(std::string(kHeader) + "tree, tree.bmp,20,3,9\r\nrock \xE9,rock.bmp,0,0,0\r\n");
  ASSERT_EQ(palette.kindCount(), 2);
  ExpectKind(palette.kind(1), "tree", " tree.bmp", 20, 3, 9);
  ExpectKind(palette.kind(2), "rock \xE9", "rock.bmp", 0, 0, 0);
}

TEST(ObjectIndex, HeaderIsNotInterpreted) {
  ObjectPalette palette = Parse("a,b,c,d,e,f\r\ntree,tree.bmp,1,2\r\n");
  // The header is five fields, so "f" is the first kind's id and the line
  // end ends its first field.
  ASSERT_EQ(palette.kindCount(), 1);
  ExpectKind(palette.kind(1), "f", "tree", 0, 1, 2);
}

TEST(ObjectIndex, TrailingCommaGivesAnEmptyLastField) {
  ObjectPalette palette = Parse(std::string(kHeader) + "tree,tree.bmp,20,3,");
  ASSERT_EQ(palette.kindCount(), 1);
  EXPECT_EQ(palette.kind(1).topSize, 0);
}

TEST(ObjectIndexNumber, TakesTheLeadingNumberRoundedHalfToEven) {
  struct Case {
    const char* field;
    double value;
  } cases[] = {{"20", 20},   {" 20", 20}, {"2 0", 20},    {"\t7\n", 7},   {"2.5", 2},
               {"3.5", 4},   {"0.5", 0},  {"1.5", 2},     {"254.5", 254}, {"12abc", 12},
               {"1.2.3", 1}, {"abc", 0},  {"", 0},        {"-", 0},       {".", 0},
               {"-3", -3},   {"+4", 4},   {"- 4", -4},    {".6", 1},      {"-0.4", 0},
               {"7e2", 7},   {"\r", 0},   {"255.4", 255}, {"300", 300}};
  for (const Case& c : cases)
    EXPECT_EQ(ObjectIndexNumber(c.field), c.value) << '"' << c.field << '"';
}

TEST(ObjectIndex, RefusesIndexesWithoutKinds) {
  for (const char* text : {"", "ID,Bitmap,Scale,Base,Top", kHeader,
                           "ID,Bitmap,Scale,Base,Top\r\n\r\n", "ID,Bitmap\r\n"}) {
    EXPECT_NE(ParseError(text).find("holds no object kind"), std::string::npos) << text;
  }
}

TEST(ObjectIndex, RefusesARecordCutShortByTheEndOfTheFile) {
  std::string message =
      ParseError(std::string(kHeader) + "tree,tree.bmp,20,3,9\r\nrock,rock.bmp\r\n");
  EXPECT_NE(message.find("ends after 2 of the 5 fields of object kind 2"), std::string::npos)
      << message;
}

TEST(ObjectIndex, AcceptsAtMost255Kinds) {
  std::string text = kHeader;
  for (int i = 1; i <= 255; ++i) {
    text += 'k';
    text += std::to_string(i) + ",k.bmp,0,0,0\r\n";
  }
  EXPECT_EQ(Parse(text).kindCount(), 255);
  text += "k256,k.bmp,0,0,0\r\n";
  EXPECT_NE(ParseError(text).find("more than 255 object kinds"), std::string::npos);
}

TEST(ObjectIndex, NamesKindAndColumnOfANumberOutside0To255) {
  struct Case {
    const char* record;
    const char* expected;
  } cases[] = {
      {"tree,t.bmp,256,3,9",
       "object kind 1 (\"tree\", line 2), column 3 (scale variation) holds \"256\""},
      {"tree,t.bmp,20,-1,9", "column 4 (base size) holds \"-1\""},
      {"tree,t.bmp,20,3,255.5", "column 5 (top size) holds \"255.5\""},
      {"tree,t.bmp,99.5,3,9", "column 3 (scale variation) holds \"99.5\": a variation of 100"},
  };
  for (const Case& c : cases) {
    std::string message = ParseError(std::string(kHeader) + c.record + "\r\n");
    EXPECT_NE(message.find(c.expected), std::string::npos) << message;
    EXPECT_NE(message.find("objects.csv"), std::string::npos) << message;
  }
  EXPECT_EQ(Parse(std::string(kHeader) + "tree,t.bmp,99.4x,-0.5,254.5\r\n").kindCount(), 1);
  EXPECT_EQ(Parse(std::string(kHeader) + "tree,t.bmp,0,255.4x,0\r\n").kindCount(), 1);
}

// The file is read as it always was; what looks wrong is reported naming
// the line (the header is line 1), so that a shifted file can be mended.
struct WarningCase {
  const char* label;
  const char* rows;  // after the header line
  std::vector<std::string> warnings;
};

class ObjectIndexWarnings : public ::testing::TestWithParam<WarningCase> {};

TEST_P(ObjectIndexWarnings, NameTheLine) {
  ObjectPalette palette = Parse(std::string(kHeader) + GetParam().rows);
  EXPECT_EQ(palette.warnings, GetParam().warnings);
}

INSTANTIATE_TEST_SUITE_P(
    Files, ObjectIndexWarnings,
    ::testing::Values(
        WarningCase{"Clean", "tree,t.bmp,10,1,1\r\nrock,r.bmp,5,2,2\r\n\r\n", {}},
        WarningCase{"ShiftedByAFieldTooMany",
                    "tree,t.bmp,10,1,1,x\nrock,r.bmp,5,2\n",
                    {"line 2 holds 6 fields instead of 5.", "line 3 holds 4 fields instead of 5.",
                     "line 2: object kind 2 starts in the middle of the line: a line before it "
                     "holds more or fewer than 5 fields.",
                     "line 2: column 3 (scale variation) of object kind 2 (\"x\") holds \"r.bmp\", "
                     "read as 0: it holds no number."}},
        WarningCase{"TextAfterANumber",
                    "tree,t.bmp,12abc,1,1",
                    {"line 2: column 3 (scale variation) of object kind 1 (\"tree\") holds "
                     "\"12abc\", read as 12: text follows the number."}}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(ObjectIndex, ReadAsBeforeWithItsWarningsAndRefusalsNamingTheLine) {
  ObjectPalette palette = Parse(std::string(kHeader) + "tree,t.bmp,12abc,1,1,x\nrock,r.bmp,5,2\n");
  ASSERT_EQ(palette.kindCount(), 2);
  ExpectKind(palette.kind(1), "tree", "t.bmp", 12, 1, 1);
  ExpectKind(palette.kind(2), "x", "rock", 0, 5, 2);
  EXPECT_EQ(palette.kind(2).line, 2);
  std::string error = ParseError(std::string(kHeader) + "tree,t.bmp,1,1,1\nrock,r.bmp,100,1,1\n");
  EXPECT_NE(error.find("object kind 2 (\"rock\", line 3)"), std::string::npos) << error;
}

TEST(ObjectIndex, MissingFileIsNamed) {
  testing::ScratchFolder folder;
  try {
    ReadObjectIndex(folder / "nowhere.csv");
    FAIL();
  } catch (const RunError& error) {
    std::string message = error.what();
    EXPECT_NE(message.find("txtObjectIndex"), std::string::npos) << message;
    EXPECT_NE(message.find("nowhere.csv"), std::string::npos) << message;
  }
  std::ofstream(folder / "objects.csv", std::ios::binary) << kHeader << "tree,tree.bmp,20,3,9\r\n";
  EXPECT_EQ(ReadObjectIndex(folder / "objects.csv").kindCount(), 1);
  // A file far larger than any index is refused before it is read.
  std::filesystem::resize_file(folder / "objects.csv", (std::uint64_t{16} << 20) + 1);
  try {
    ReadObjectIndex(folder / "objects.csv");
    FAIL();
  } catch (const RunError& error) {
    std::string message = error.what();
    EXPECT_NE(message.find("objects.csv\": it holds 16777217 bytes, more than the 16 MiB"),
              std::string::npos)
        << message;
  }
}

}  // namespace
}  // namespace brackwyn
