#include "core/number_text.hpp"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <string>

namespace brackwyn {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}
bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back()))
    text.remove_suffix(1);
  return text;
}

}  // namespace

std::size_t DecimalPrefixLength(std::string_view text) {
  std::size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-'))
    ++i;
  std::size_t digits = 0;
  while (i < text.size() && IsDigit(text[i]))
    ++i, ++digits;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && IsDigit(text[i]))
      ++i, ++digits;
  }
  return digits == 0 ? 0 : i;
}

std::optional<double> ParseDecimal(std::string_view text) {
  text = TrimBlanks(text);
  std::size_t length = DecimalPrefixLength(text);
  if (length == 0 || length != text.size())
    return std::nullopt;
  // strtod rounds correctly; the validated text cannot hold an exponent or a
  // locale-specific character that would change its reading.
  return std::strtod(std::string(text).c_str(), nullptr);
}

double RoundHalfEven(double value) {
  return std::nearbyint(value);
}

}  // namespace brackwyn
