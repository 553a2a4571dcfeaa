// Save and Load of the editable settings in "Parameters.ini" in the working
// directory.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "model/window_model.hpp"

namespace brackwyn {

inline constexpr char kParameterFileName[] = "Parameters.ini";

// What a load could not apply in full: settings that kept their current
// value, or whose text stopped at a NUL byte, each with the reason, in words
// for the user.
struct ParameterLoadReport {
  std::vector<std::string> keptSettings;
  bool createdEmptyFile = false;  // the file was missing, so nothing was loaded
};

// What the windows' warning box says after a load that kept some settings:
// the file's name, then one kept setting with its reason a line.
std::string KeptSettingsMessage(const ParameterLoadReport& report);

// Writes every editable setting. Throws RunError naming the setting (a text
// that does not fit) or the file; the previous file is then left as it was.
void SaveParameters(const WindowModel& window, const std::filesystem::path& file);

// Applies the records the file holds. A missing file is created empty.
// Throws RunError naming the file when it cannot be read.
ParameterLoadReport LoadParameters(WindowModel& window, const std::filesystem::path& file);

// Applies the records of a file's bytes; returns the kept settings as above.
std::vector<std::string> ApplyParameterBytes(WindowModel& window,
                                             std::span<const std::uint8_t> bytes);

}  // namespace brackwyn
