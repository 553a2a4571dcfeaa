#include "core/windows_1252.hpp"

#include <array>
#include <cstdint>
#include <cstdio>
#include <optional>

namespace brackwyn {
namespace {

// Bytes 80..9F; every other byte is the code point of the same number.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80..87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88..8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90..97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98..9F
};

char32_t CodePointOf(std::uint8_t byte) {
  return byte >= 0x80 && byte < 0xA0 ? kHighControls[byte - 0x80] : char32_t{byte};
}

std::optional<std::uint8_t> ByteOf(char32_t codePoint) {
  if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF))
    return static_cast<std::uint8_t>(codePoint);
  for (std::size_t i = 0; i < kHighControls.size(); ++i) {
    if (kHighControls[i] == codePoint)
      return static_cast<std::uint8_t>(0x80 + i);
  }
  return std::nullopt;
}

void AppendUtf8(std::string& out, char32_t c) {
  auto put = [&](std::uint32_t byte) { out.push_back(static_cast<char>(byte)); };
  if (c < 0x80) {
    put(c);
  } else if (c < 0x800) {
    put(0xC0 | (c >> 6));
    put(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    put(0xE0 | (c >> 12));
    put(0x80 | ((c >> 6) & 0x3F));
    put(0x80 | (c & 0x3F));
  } else {
    put(0xF0 | (c >> 18));
    put(0x80 | ((c >> 12) & 0x3F));
    put(0x80 | ((c >> 6) & 0x3F));
    put(0x80 | (c & 0x3F));
  }
}

// Strict decoding: overlong forms, surrogates and values past U+10FFFF are
// rejected. Advances `at` past the character.
std::optional<char32_t> NextCodePoint(std::string_view text, std::size_t& at) {
  auto lead = static_cast<std::uint8_t>(text[at]);
  int length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
  if (length == 0 || at + length > text.size())
    return std::nullopt;
  char32_t c = length == 1 ? lead : lead & (0x3F >> (length - 1));
  for (int i = 1; i < length; ++i) {
    auto next = static_cast<std::uint8_t>(text[at + i]);
    if ((next & 0xC0) != 0x80)
      return std::nullopt;
    c = (c << 6) | (next & 0x3F);
  }
  constexpr std::array<char32_t, 5> kSmallest = {0, 0, 0x80, 0x800, 0x10000};
  if (c < kSmallest[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
    return std::nullopt;
  at += length;
  return c;
}

}  // namespace

Windows1252Text EncodeWindows1252(std::string_view utf8) {
  Windows1252Text result;
  result.bytes.reserve(utf8.size());
  for (std::size_t at = 0; at < utf8.size();) {
    std::optional<char32_t> c = NextCodePoint(utf8, at);
    if (!c) {
      result.invalidUtf8 = true;
      return result;
    }
    std::optional<std::uint8_t> byte = ByteOf(*c);
    if (!byte) {
      result.unencodable = *c;
      return result;
    }
    result.bytes.push_back(static_cast<char>(*byte));
  }
  return result;
}

std::string DecodeWindows1252(std::string_view bytes) {
  std::string utf8;
  utf8.reserve(bytes.size());
  for (char byte : bytes)
    AppendUtf8(utf8, CodePointOf(static_cast<std::uint8_t>(byte)));
  return utf8;
}

std::string CodePointName(char32_t codePoint) {
  char name[16];
  std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(codePoint));
  return name;
}

}  // namespace brackwyn
