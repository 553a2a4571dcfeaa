// Every call this program makes to the operating system's file interface,
// and the one clock it reads that the standard library has no cheap form of.
// platform_posix.cpp implements it for POSIX systems, platform_win32.cpp for
// Windows. Errors come back as std::error_code in the system category, so
// messages read like the system's own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
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
  // Read and write, created new: fails when anything, even a dangling
  // symbolic link, already has the name, so no link is ever followed.
  ReadWriteCreateNew,
};

// Never waits: a pipe or device opens at once (and is then refused by its
// type), instead of blocking until another program opens its other end.
std::error_code OpenFile(const std::filesystem::path& path, OpenMode mode, NativeFile& file);
// What a name in the file system stands for: whether it exists, what kind of
// file it is and which file it is. Two names are one file when both exist
// and their `device` and `file` numbers are equal (device and inode; volume
// serial and file index on Windows).
struct FileIdentity {
  enum class Kind { Missing, Regular, SymbolicLink, Other };  // Other: folder, pipe, device, socket
  Kind kind = Kind::Missing;
  std::uint64_t device = 0;
  std::uint64_t file = 0;
};
// `followLinks` identifies what a symbolic link points to (stat), otherwise
// the link itself (lstat). A missing name, or a missing folder on its way, is
// Kind::Missing, not an error.
std::error_code IdentifyFile(const std::filesystem::path& path, bool followLinks,
                             FileIdentity& identity);
// The text under which two absolute, normalised paths of files not yet made
// are compared: as it is on POSIX systems, in capitals on Windows, whose file
// names ignore case.
std::string PathComparisonKey(const std::filesystem::path& path);
// Removes the name itself, a symbolic link rather than what it points to; a
// missing name is no error.
std::error_code RemoveName(const std::filesystem::path& path);

// Closing never reports an error here; writers that must know call CloseChecked.
void Close(NativeFile file) noexcept;
std::error_code CloseChecked(NativeFile file);

std::error_code IsRegularFile(NativeFile file, bool& regular);
std::error_code FileSize(NativeFile file, std::uint64_t& size);
std::error_code SetFileSize(NativeFile file, std::uint64_t size);
// Allocates disk space for the first `size` bytes where that is cheap and the
// disk has room to spare; the bytes still read as zeros. Best effort: the
// file may stay sparse.
void ReserveSpace(NativeFile file, std::uint64_t size) noexcept;
std::error_code SyncToDisk(NativeFile file);
// Has the system start writing [offset, offset + size) to disk without waiting
// for it. Only a hint: where the system has no such call it does nothing, and
// a failure shows where it always does, when the file is synced or closed.
void StartWriteBack(NativeFile file, std::uint64_t offset, std::uint64_t size) noexcept;

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

// Takes an exclusive lock on an open file without waiting; `taken` is false
// when another open of the file holds it, in this process or another. Closing
// the file drops the lock, and so does the end of the process, however it ends.
std::error_code TryLockExclusive(NativeFile file, bool& taken);

// Memory for an array of many megabytes, kept apart from the ordinary heap,
// which after a few large frees serves such arrays from memory it keeps: with
// it, the example world's run with objects peaked at 117 MiB instead of 111 to
// 112. In small pages: huge pages save faults only when reused at once, while
// a run starts on memory freed seconds or minutes before, and on a virtual
// machine that hands freed memory back to its host, fresh huge pages were
// first touched at a quarter of the speed of small ones (100 MiB: 0.21 to
// 0.27 s against 0.06 s; default runs 0.25 to 0.32 s against 0.14 to 0.18 s).
// Null when out of memory.
void* AllocateLarge(std::size_t bytes) noexcept;
void FreeLarge(void* memory) noexcept;

// Renames `from` over `to` in one step: readers see the old or the new file.
std::error_code ReplaceFile(const std::filesystem::path& from, const std::filesystem::path& to);

// Requests to stop from outside the program: SIGINT (Ctrl-C), SIGTERM and
// SIGHUP (a closed terminal, a desktop logout); on Windows, Ctrl-C and
// Ctrl-Break as SIGINT and a closed console, a logoff or a shutdown as
// SIGTERM. The first is only recorded, for the run to notice at its next
// yield, and announced on StopNotifier() for an event loop to wake up. A
// second one ends the process at once, as the signal does, after deleting the
// files of SetFilesToDeleteOnForcedStop: a run stuck in a long write still
// leaves no work files behind. So does a closed Windows console whose run has
// not ended a few seconds later, before the system ends the process. Also
// ignores SIGPIPE, so that output to a reader that went away cannot end a run
// half way.
void InstallStopHandlers();
// The first stop signal received, 0 while none.
int StopSignal();
// Readable (POSIX: a pipe) or signalled (Windows: an event handle) once a stop
// was requested; kNoFile before InstallStopHandlers.
NativeFile StopNotifier();
// Replaces the list; the handler reads it, so it is copied into memory that
// stays valid until the next call.
void SetFilesToDeleteOnForcedStop(const std::vector<std::filesystem::path>& files);

// A monotonic clock of a few milliseconds' resolution that costs a few
// nanoseconds to read (no system call): for deciding how often to look at
// window events, never for measuring.
std::int64_t CoarseNanoseconds() noexcept;

}  // namespace brackwyn::platform
