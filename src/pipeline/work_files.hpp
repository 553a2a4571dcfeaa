// Clean-up of the work files when a front end shuts down.
#pragma once

#include <filesystem>

#include "objects/work_file_names.hpp"

namespace brackwyn {

// Afterwards none of the four work files exists. Never fails.
void DeleteWorkFiles(const std::filesystem::path& workingDirectory);

// Makes a second stop signal delete the work files and the partial `plugin`
// (relative to the working folder) before it ends the process.
void DeleteWorkFilesOnForcedStop(const std::filesystem::path& workingDirectory,
                                 const std::filesystem::path& plugin);

}  // namespace brackwyn
