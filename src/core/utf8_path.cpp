#include "core/utf8_path.hpp"

#include "core/windows_1252.hpp"

namespace brackwyn {
namespace {

std::filesystem::path FromUtf8Bytes(std::string_view utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

}  // namespace

std::filesystem::path PathFromUtf8(std::string_view utf8) {
#ifdef _WIN32
  // Conversion to UTF-16 refuses what is not UTF-8.
  try {
    return FromUtf8Bytes(utf8);
  } catch (const std::system_error&) {
    return FromUtf8Bytes(DecodeWindows1252(utf8));
  }
#else
  return FromUtf8Bytes(utf8);
#endif
}

std::string Utf8FromPath(const std::filesystem::path& path) {
  std::u8string utf8 = path.u8string();
  return {utf8.begin(), utf8.end()};
}

}  // namespace brackwyn
