// Clean-up of the work files when a front end shuts down.
#pragma once

#include <filesystem>

#include "objects/work_file_names.hpp"

namespace brackwyn {

// Afterwards none of the four work files exists. Never fails.
void DeleteWorkFiles(const std::filesystem::path& workingDirectory);

}  // namespace brackwyn
