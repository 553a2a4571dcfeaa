// The four work files of object placement and the plugin writer. They live in
// the working directory and are deleted when the window closes.
#pragma once

#include <array>
#include <filesystem>
#include <string_view>

namespace brackwyn {

inline constexpr std::array<std::string_view, 4> kWorkFileNames = {"Base.dat", "Top.dat",
                                                                   "Objects.dat", "FRMR.dat"};

// Shut-down clean-up: afterwards none of the four exists. Never fails.
void DeleteWorkFiles(const std::filesystem::path& workingDirectory);

}  // namespace brackwyn
