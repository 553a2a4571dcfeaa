// Conversion between the UTF-8 texts of the window model and the Windows-1252
// bytes of the parameter file. All 256 bytes have a meaning: the five bytes
// Windows-1252 leaves undefined (81, 8D, 8F, 90, 9D) stand for the C1 control
// characters of the same number, as Windows itself maps them, so any file
// decodes and every decoded text encodes back to the same bytes.
#pragma once

#include <string>
#include <string_view>

namespace brackwyn {

struct Windows1252Text {
  std::string bytes;
  // When not encodable: the first character Windows-1252 cannot hold, or
  // invalidUtf8 when the text is not UTF-8 at all.
  char32_t unencodable = 0;
  bool invalidUtf8 = false;

  bool ok() const { return unencodable == 0 && !invalidUtf8; }
};

Windows1252Text EncodeWindows1252(std::string_view utf8);
std::string DecodeWindows1252(std::string_view bytes);

// "U+0100": how messages name a character that may not display.
std::string CodePointName(char32_t codePoint);

}  // namespace brackwyn
