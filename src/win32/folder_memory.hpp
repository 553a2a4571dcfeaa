// The working folder the window last used, kept in the registry under
// HKEY_CURRENT_USER\Software\Brackwyn so that the window started from a
// shortcut without a folder finds it again; and the user's profile folder,
// where it opens the first time.
#pragma once

#include <filesystem>

namespace brackwyn::win32 {

// Empty when none is kept or the registry cannot be read.
std::filesystem::path RememberedFolder();
// Keeps `folder`, made absolute; a registry that refuses it is not worth a
// message, as the window then opens on the profile folder next time.
void RememberFolder(const std::filesystem::path& folder);

// The user's profile folder (USERPROFILE), else the current folder.
std::filesystem::path ProfileFolder();

}  // namespace brackwyn::win32
