#include "core/number_text.hpp"

#include <charconv>
#include <cmath>

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

// from_chars, unlike strtod, ignores the C locale, which the window's toolkit
// sets from the environment: under a decimal-comma locale strtod reads "0.5"
// as 0. It takes no plus sign, and rounds correctly like strtod.
double ReadDecimal(std::string_view number) {
  if (!number.empty() && number.front() == '+')
    number.remove_prefix(1);
  double value = 0;
  std::from_chars_result result = std::from_chars(number.data(), number.data() + number.size(),
                                                  value, std::chars_format::fixed);
  if (result.ec == std::errc::result_out_of_range) {
    // Too large or too small for a double: infinity or zero, as strtod gives,
    // so that range checks still see a huge value.
    std::string_view whole = number.substr(0, number.find('.'));
    bool large = whole.find_first_of("123456789") != std::string_view::npos;
    bool negative = number.front() == '-';
    value = large ? HUGE_VAL : 0.0;
    return negative ? -value : value;
  }
  return value;
}

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
  return ReadDecimal(text);
}

double RoundHalfEven(double value) {
  return std::nearbyint(value);
}

}  // namespace brackwyn
