// Text-to-number conversion: plain decimal numbers only, so that a typo stops
// the run with a message instead of turning into a silent 0.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace brackwyn {

// Blanks and tabs around the number are ignored; the rest must be an optional
// sign, digits and an optional fractional part. nullopt for anything else.
std::optional<double> ParseDecimal(std::string_view text);

// Length of the decimal number (optional sign, digits, optional fractional
// part) at the start of `text`; 0 when it starts with no such number.
std::size_t DecimalPrefixLength(std::string_view text);

// The value of a text that DecimalPrefixLength accepts whole, read the same
// in every locale.
double ReadDecimal(std::string_view number);

// Nearest integer, halves to the even neighbour (2.5 gives 2, 3.5 gives 4).
double RoundHalfEven(double value);

}  // namespace brackwyn
