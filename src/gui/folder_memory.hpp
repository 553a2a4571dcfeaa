// The working folder a window opens on, and the memory of the last one it
// used, kept with QSettings (a file under ~/.config on Linux, the registry on
// Windows) so that a window started from the desktop menu finds it again.
#pragma once

#include <filesystem>
#include <optional>

#include "pipeline/working_folder.hpp"

class QSettings;

namespace brackwyn::gui {

// The folder given on the command line wins; else the remembered folder while
// it still exists; else the home folder.
std::filesystem::path StartFolder(const std::optional<std::filesystem::path>& commandLine,
                                  const QSettings& settings);

// Keeps `folder`, made absolute, as the one to open next time.
void RememberFolder(QSettings& settings, const std::filesystem::path& folder);

}  // namespace brackwyn::gui
