// The system's folder dialog, for "Open Folder…".
#pragma once

#include <filesystem>
#include <optional>

#include <windows.h>

namespace brackwyn::win32 {

// Asks for a folder, starting in `current`; nothing when cancelled or when
// the dialog cannot be shown. COM must be set up on the calling thread.
std::optional<std::filesystem::path> AskForFolder(HWND owner, const std::filesystem::path& current);

}  // namespace brackwyn::win32
