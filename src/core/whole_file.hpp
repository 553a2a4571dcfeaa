// Whole-file reads of small inputs. Every failure is a RunError that names
// the file and says what went wrong.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string_view>
#include <vector>

namespace brackwyn {

// `role` says what the file is for, e.g. `object index (txtObjectIndex)`;
// it opens every message about the file. A file larger than `maxBytes` is
// refused (say it in whole MiB), so that a wrong name cannot fill the memory.
std::vector<std::uint8_t> ReadWholeFile(const std::filesystem::path& path, std::string_view role,
                                        std::uint64_t maxBytes = UINT64_MAX);
// The first `maxBytes` of the file, or all of it when it is shorter; the rest
// is never read.
std::vector<std::uint8_t> ReadFileStart(const std::filesystem::path& path, std::string_view role,
                                        std::uint64_t maxBytes);

// The most an index file (objects, textures) may hold: far more than 255
// kinds or rules could ever need.
inline constexpr std::uint64_t kMaxIndexFileBytes = std::uint64_t{16} << 20;

// Size of an existing file, or of a new empty one created under that name.
std::uint64_t FileLengthCreatingIfMissing(const std::filesystem::path& path, std::string_view role);

}  // namespace brackwyn
