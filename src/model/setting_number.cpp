#include "model/setting_number.hpp"

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

}  // namespace brackwyn
