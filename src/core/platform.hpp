// Every call this program makes to the operating system's file interface.
// platform_posix.cpp implements it for POSIX systems; another platform
// replaces that one file. Errors come back as std::error_code in the system
// category, so messages read like the system's own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <system_error>
#include <utility>
#include <vector>

namespace brackwyn::platform {

// An open file: a POSIX descriptor or a Windows handle, -1 for none.
using NativeFile = std::intptr_t;
inline constexpr NativeFile kNoFile = -1;

enum class OpenMode {
  Read,                 // existing file, read only
  ReadCreate,           // read only, created empty when missing
  ReadWriteCreate,      // read and write, created when missing, content kept
  WriteCreateTruncate,  // write only, created or emptied
};

std::error_code OpenFile(const std::filesystem::path& path, OpenMode mode, NativeFile& file);
// Closing never reports an error here; writers that must know call CloseChecked.
void Close(NativeFile file) noexcept;
std::error_code CloseChecked(NativeFile file);

std::error_code IsRegularFile(NativeFile file, bool& regular);
std::error_code FileSize(NativeFile file, std::uint64_t& size);
std::error_code SetFileSize(NativeFile file, std::uint64_t size);
std::error_code SyncToDisk(NativeFile file);

// One positioned transfer of at most `size` bytes, retried when interrupted.
// `done` is 0 at the end of the file when reading; a write that transfers
// nothing reports "no space left on device".
std::error_code ReadAt(NativeFile file, void* data, std::size_t size, std::uint64_t offset,
                       std::size_t& done);
std::error_code WriteAt(NativeFile file, const void* data, std::size_t size, std::uint64_t offset,
                        std::size_t& done);

// The ranges of [begin, end) that may hold data, in order; holes of a sparse
// file read as zeros and are left out. Where the file system cannot tell, the
// whole range is one range.
std::error_code DataRanges(NativeFile file, std::uint64_t begin, std::uint64_t end,
                           std::vector<std::pair<std::uint64_t, std::uint64_t>>& ranges);

// Renames `from` over `to` in one step: readers see the old or the new file.
std::error_code ReplaceFile(const std::filesystem::path& from, const std::filesystem::path& to);

}  // namespace brackwyn::platform
