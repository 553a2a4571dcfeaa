#include "core/windows_1252.hpp"

#include <gtest/gtest.h>

namespace brackwyn {
namespace {

TEST(Windows1252, EveryByteDecodesAndEncodesBackToItself) {
  for (int byte = 0; byte < 256; ++byte) {
    std::string original(1, static_cast<char>(byte));
    std::string utf8 = DecodeWindows1252(original);
    Windows1252Text encoded = EncodeWindows1252(utf8);
    ASSERT_TRUE(encoded.ok()) << byte;
    EXPECT_EQ(encoded.bytes, original) << byte;
  }
}

struct Mapping {
  unsigned char byte;
  const char* utf8;

  friend void PrintTo(const Mapping& mapping, std::ostream* out) {
    *out << "byte " << static_cast<int>(mapping.byte);
  }
};

class Windows1252Mapping : public ::testing::TestWithParam<Mapping> {};

TEST_P(Windows1252Mapping, MapsBothWays) {
  std::string byte(1, static_cast<char>(GetParam().byte));
  EXPECT_EQ(DecodeWindows1252(byte), GetParam().utf8);
  EXPECT_EQ(EncodeWindows1252(GetParam().utf8).bytes, byte);
}

INSTANTIATE_TEST_SUITE_P(Characters, Windows1252Mapping,
                         ::testing::Values(Mapping{'A', "A"}, Mapping{0x80, "\u20AC"},
                                           Mapping{0x81, "\u0081"}, Mapping{0x8D, "\u008D"},
                                           Mapping{0x8F, "\u008F"}, Mapping{0x90, "\u0090"},
                                           Mapping{0x9D, "\u009D"}, Mapping{0x92, "\u2019"},
                                           Mapping{0x9F, "\u0178"}, Mapping{0xA0, "\u00A0"},
                                           Mapping{0xE9, "\u00E9"}, Mapping{0xFF, "\u00FF"}));

TEST(Windows1252, NamesTheFirstCharacterItCannotHold) {
  EXPECT_EQ(EncodeWindows1252("ab\u0100\u20AC").unencodable, U'\u0100');
  EXPECT_EQ(EncodeWindows1252("\u0080").unencodable, U'\u0080');  // a C1 control with a glyph byte
  EXPECT_EQ(EncodeWindows1252("\U0001F600").unencodable, U'\U0001F600');
  EXPECT_EQ(CodePointName(U'\u0100'), "U+0100");
}

TEST(Windows1252, RejectsMalformedUtf8) {
  for (std::string bad : {"\xC3", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\x80"}) {
    Windows1252Text encoded = EncodeWindows1252("x" + bad);
    EXPECT_TRUE(encoded.invalidUtf8) << ::testing::PrintToString(bad);
    EXPECT_FALSE(encoded.ok());
  }
}

}  // namespace
}  // namespace brackwyn
