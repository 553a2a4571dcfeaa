// Whole-file reads of small inputs. Every failure is a RunError that names
// the file and says what went wrong.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string_view>
#include <vector>

namespace brackwyn {

// `role` says what the file is for, e.g. `object index (txtObjectIndex)`;
// it opens every message about the file.
std::vector<std::uint8_t> ReadWholeFile(const std::filesystem::path& path, std::string_view role);

// Size of an existing file, or of a new empty one created under that name.
std::uint64_t FileLengthCreatingIfMissing(const std::filesystem::path& path, std::string_view role);

}  // namespace brackwyn
