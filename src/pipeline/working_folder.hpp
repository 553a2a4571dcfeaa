// The working folder a window opens on and shows, the same in both windows;
// each keeps the last one in its own place (Qt's settings, the registry).
#pragma once

#include <filesystem>
#include <optional>

namespace brackwyn {

// The folder given on the command line wins; else `remembered` while it still
// exists; else `home`.
std::filesystem::path ChooseStartFolder(const std::optional<std::filesystem::path>& commandLine,
                                        const std::filesystem::path& remembered,
                                        const std::filesystem::path& home);

// `folder` as the window shows and keeps it: absolute, without "." or "..".
std::filesystem::path AbsoluteFolder(const std::filesystem::path& folder);

}  // namespace brackwyn
