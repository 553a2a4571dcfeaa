#include "model/setting_number.hpp"

#include <cmath>
#include <optional>
#include <string>

#include "core/number_text.hpp"
#include "core/run_error.hpp"
#include "model/control_table.hpp"

namespace brackwyn {

double SettingNumber(const WindowModel& window, std::string_view name) {
  const std::string& text = window.text(name);
  std::optional<double> value = ParseDecimal(text);
  if (!value) {
    throw RunError("Setting " + DescribeSetting(name) + ": \"" + text +
                   "\" is not a number. Enter a plain decimal number such as 1000 or -5.");
  }
  return *value;
}

std::int64_t SettingWholeNumber(const WindowModel& window, std::string_view name, std::int64_t low,
                                std::int64_t high) {
  double value = SettingNumber(window, name);
  // Compared as doubles: both limits are far inside the 53 bits a double holds exactly.
  if (value != std::floor(value) || value < static_cast<double>(low) ||
      value > static_cast<double>(high)) {
    throw RunError("Setting " + DescribeSetting(name) + ": \"" + window.text(name) +
                   "\" is not a whole number from " + std::to_string(low) + " to " +
                   std::to_string(high) + ".");
  }
  return static_cast<std::int64_t>(value);
}

}  // namespace brackwyn
