// Paths to and from the UTF-8 text the program keeps. std::filesystem would
// convert a std::string through the ANSI code page on Windows, which holds
// few letters beyond English; these go through UTF-8 on every system.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace brackwyn {

// A name as typed or read from a file. On Windows a name that is not UTF-8
// is taken as Windows-1252, the encoding Notepad's "ANSI" files use in the
// game's languages; elsewhere the bytes are the name, as the system has it.
std::filesystem::path PathFromUtf8(std::string_view utf8);

std::string Utf8FromPath(const std::filesystem::path& path);

}  // namespace brackwyn
