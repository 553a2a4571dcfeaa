// The Windows half of the platform interface. Paths go to the system as
// UTF-16 (path::c_str() is wchar_t here), never through the ANSI code page.
// Files are opened shared for reading, writing and deletion, as POSIX
// files are, so that a file still open can be replaced or removed.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>
// after windows.h, which it needs
#include <winioctl.h>
// windows.h names ReplaceFileW so; here it is the platform function.
#undef ReplaceFile

#include <algorithm>
#include <atomic>
#include <csignal>
#include <cstdlib>
#include <limits>
#include <memory>
#include <string>

#include "core/platform.hpp"

namespace brackwyn::platform {
namespace {

// Windows has no signals for stop requests: the console calls a handler on a
// thread of its own. Ctrl-C and Ctrl-Break count as SIGINT; closing the
// console window, logging off and shutting down as SIGTERM, so that exit
// statuses match the other systems.
std::atomic<int> stopSignal{0};
// Manual-reset: stays signalled once a stop was requested.
HANDLE stopEvent = nullptr;

struct ForcedStopFiles {
  std::vector<std::wstring> paths;
};
std::atomic<const ForcedStopFiles*> forcedStopFiles{nullptr};
// Every list made, kept: a handler running right now may still read an old one.
std::vector<std::unique_ptr<ForcedStopFiles>> forcedStopLists;

// Ends the process at once, as a second signal does elsewhere. Files still
// open are deleted when their last handle goes, with the process.
[[noreturn]] void StopNow() {
  if (const ForcedStopFiles* files = forcedStopFiles.load()) {
    for (const std::wstring& path : files->paths)
      ::DeleteFileW(path.c_str());
  }
  ::TerminateProcess(::GetCurrentProcess(), 128 + stopSignal.load());
  ::ExitProcess(128 + stopSignal.load());  // not reached
}

// After a close event Windows ends the process within about five seconds
// however the handler returns: the run gets most of that to unwind and
// leave through main, then its work files are removed all the same.
constexpr DWORD kCloseGraceMilliseconds = 3500;

BOOL WINAPI OnConsoleEvent(DWORD event) {
  const bool closing =
      event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT;
  if (!closing && event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
    return FALSE;
  int none = 0;
  if (!stopSignal.compare_exchange_strong(none, closing ? SIGTERM : SIGINT))
    StopNow();  // asked twice
  if (stopEvent != nullptr)
    ::SetEvent(stopEvent);
  if (closing) {
    ::Sleep(kCloseGraceMilliseconds);
    StopNow();
  }
  return TRUE;
}

std::error_code LastError() {
  return {static_cast<int>(::GetLastError()), std::system_category()};
}

std::error_code Win32Error(DWORD error) {
  return {static_cast<int>(error), std::system_category()};
}

HANDLE Handle(NativeFile file) {
  return reinterpret_cast<HANDLE>(file);
}

// One transfer moves at most this much: ReadFile and WriteFile count in DWORDs.
constexpr std::size_t kMaxTransfer = std::size_t{1} << 30;

OVERLAPPED At(std::uint64_t offset) {
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return at;
}

struct Access {
  DWORD rights;
  DWORD disposition;
  DWORD flags = FILE_ATTRIBUTE_NORMAL;
};

Access AccessFor(OpenMode mode) {
  switch (mode) {
    case OpenMode::Read:
      return {GENERIC_READ, OPEN_EXISTING};
    case OpenMode::ReadCreate:
      return {GENERIC_READ, OPEN_ALWAYS};
    case OpenMode::ReadWriteCreate:
      return {GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS};
    case OpenMode::WriteCreateTruncate:
      return {GENERIC_WRITE, CREATE_ALWAYS};
    case OpenMode::ReadWriteCreateNew:
      // CREATE_NEW fails on any existing name; the flag keeps a link from
      // being followed.
      return {GENERIC_READ | GENERIC_WRITE, CREATE_NEW,
              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT};
  }
  return {GENERIC_READ, OPEN_EXISTING};
}

bool IsDirectory(const std::filesystem::path& path) {
  DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

std::error_code OpenFile(const std::filesystem::path& path, OpenMode mode, NativeFile& file) {
  Access access = AccessFor(mode);
  HANDLE handle = ::CreateFileW(path.c_str(), access.rights,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                access.disposition, access.flags, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    std::error_code error = LastError();
    // Windows refuses to open a folder as a file with "access denied": say
    // what is really wrong, as POSIX systems do.
    if (error.value() == ERROR_ACCESS_DENIED && IsDirectory(path))
      return std::make_error_code(std::errc::is_a_directory);
    return error;
  }
  file = reinterpret_cast<NativeFile>(handle);
  return {};
}

std::error_code IdentifyFile(const std::filesystem::path& path, bool followLinks,
                             FileIdentity& identity) {
  identity = FileIdentity{};
  // No access rights asked for: this only looks at the file. Backup
  // semantics let a folder open too, so that it is recognised as one.
  DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (followLinks ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
  HANDLE handle =
      ::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, flags, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    DWORD error = ::GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
        error == ERROR_INVALID_NAME)
      return {};
    return Win32Error(error);
  }
  using Kind = FileIdentity::Kind;
  BY_HANDLE_FILE_INFORMATION info{};
  std::error_code result;
  if (::GetFileType(handle) != FILE_TYPE_DISK) {
    identity.kind = Kind::Other;  // a console, a pipe or a device such as NUL
  } else if (!::GetFileInformationByHandle(handle, &info)) {
    result = LastError();
  } else {
    identity.kind = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? Kind::Other
                    : (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0
                        ? Kind::SymbolicLink
                        : Kind::Regular;
    identity.device = info.dwVolumeSerialNumber;
    identity.file = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
  }
  ::CloseHandle(handle);
  return result;
}

std::string PathComparisonKey(const std::filesystem::path& path) {
  std::wstring text = path.native();
  std::replace(text.begin(), text.end(), L'/', L'\\');
  if (!text.empty())
    ::CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
  int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                   0, nullptr, nullptr);
  std::string key(static_cast<std::size_t>(std::max(size, 0)), '\0');
  if (size > 0)
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), key.data(), size,
                          nullptr, nullptr);
  return key;
}

std::error_code RemoveName(const std::filesystem::path& path) {
  if (::DeleteFileW(path.c_str()))
    return {};
  DWORD error = ::GetLastError();
  if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
    return {};
  return Win32Error(error);
}

void Close(NativeFile file) noexcept {
  if (file != kNoFile)
    ::CloseHandle(Handle(file));
}

std::error_code CloseChecked(NativeFile file) {
  return ::CloseHandle(Handle(file)) ? std::error_code() : LastError();
}

std::error_code IsRegularFile(NativeFile file, bool& regular) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (::GetFileType(Handle(file)) != FILE_TYPE_DISK) {
    regular = false;  // a console, a pipe or a device such as NUL
    return {};
  }
  if (!::GetFileInformationByHandle(Handle(file), &info))
    return LastError();
  regular = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
  return {};
}

std::error_code FileSize(NativeFile file, std::uint64_t& size) {
  LARGE_INTEGER length{};
  if (!::GetFileSizeEx(Handle(file), &length))
    return LastError();
  size = static_cast<std::uint64_t>(length.QuadPart);
  return {};
}

std::error_code SetFileSize(NativeFile file, std::uint64_t size) {
  std::uint64_t current = 0;
  if (std::error_code error = FileSize(file, current))
    return error;
  if (size > current) {
    // A sparse file takes disk space only where something was written; NTFS
    // would otherwise fill the gap before the first write past it with zeros.
    // File systems without sparse files (FAT) refuse, which is fine.
    DWORD unused = 0;
    ::DeviceIoControl(Handle(file), FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &unused, nullptr);
  }
  FILE_END_OF_FILE_INFO end{};
  end.EndOfFile.QuadPart = static_cast<LONGLONG>(size);
  if (!::SetFileInformationByHandle(Handle(file), FileEndOfFileInfo, &end, sizeof end))
    return LastError();
  return {};
}

void ReserveSpace(NativeFile, std::uint64_t) noexcept {}

std::error_code SyncToDisk(NativeFile file) {
  return ::FlushFileBuffers(Handle(file)) ? std::error_code() : LastError();
}

// Windows writes a file's cached blocks back on its own schedule and has no
// call to start that early.
void StartWriteBack(NativeFile, std::uint64_t, std::uint64_t) noexcept {}

std::error_code ReadAt(NativeFile file, void* data, std::size_t size, std::uint64_t offset,
                       std::size_t& done) {
  OVERLAPPED at = At(offset);
  DWORD read = 0;
  if (!::ReadFile(Handle(file), data, static_cast<DWORD>(std::min(size, kMaxTransfer)), &read,
                  &at)) {
    if (::GetLastError() != ERROR_HANDLE_EOF)  // at or past the end: nothing to read
      return LastError();
    read = 0;
  }
  done = read;
  return {};
}

std::error_code WriteAt(NativeFile file, const void* data, std::size_t size, std::uint64_t offset,
                        std::size_t& done) {
  OVERLAPPED at = At(offset);
  DWORD written = 0;
  if (!::WriteFile(Handle(file), data, static_cast<DWORD>(std::min(size, kMaxTransfer)), &written,
                   &at))
    return LastError();
  if (written == 0 && size > 0)
    return Win32Error(ERROR_DISK_FULL);
  done = written;
  return {};
}

std::error_code DataRanges(NativeFile file, std::uint64_t begin, std::uint64_t end,
                           std::vector<std::pair<std::uint64_t, std::uint64_t>>& ranges) {
  ranges.clear();
  std::uint64_t size = 0;
  if (std::error_code error = FileSize(file, size))
    return error;
  end = std::min(end, size);
  std::uint64_t at = begin;
  while (at < end) {
    FILE_ALLOCATED_RANGE_BUFFER query{};
    query.FileOffset.QuadPart = static_cast<LONGLONG>(at);
    query.Length.QuadPart = static_cast<LONGLONG>(end - at);
    FILE_ALLOCATED_RANGE_BUFFER found[64];
    DWORD bytes = 0;
    BOOL complete = ::DeviceIoControl(Handle(file), FSCTL_QUERY_ALLOCATED_RANGES, &query,
                                      sizeof query, found, sizeof found, &bytes, nullptr);
    if (!complete && ::GetLastError() != ERROR_MORE_DATA) {
      // No allocation map here (FAT, or a network drive): all of it may be data.
      ranges.emplace_back(at, end);
      break;
    }
    std::size_t count = bytes / sizeof found[0];
    for (std::size_t i = 0; i < count; ++i) {
      auto rangeBegin = std::max(at, static_cast<std::uint64_t>(found[i].FileOffset.QuadPart));
      auto rangeEnd = std::min(
          end, static_cast<std::uint64_t>(found[i].FileOffset.QuadPart + found[i].Length.QuadPart));
      if (rangeBegin < rangeEnd)
        ranges.emplace_back(rangeBegin, rangeEnd);
    }
    if (complete || count == 0)
      break;
    at = static_cast<std::uint64_t>(found[count - 1].FileOffset.QuadPart +
                                    found[count - 1].Length.QuadPart);
  }
  return {};
}

// The folder lock. LockFileEx locks belong to the handle: two opens in one
// process exclude each other, as two processes do, and the system drops the
// lock when the handle closes or the process ends.
std::error_code TryLockExclusive(NativeFile file, bool& taken) {
  OVERLAPPED whole{};
  taken = ::LockFileEx(Handle(file), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0,
                       MAXDWORD, MAXDWORD, &whole) != 0;
  if (!taken && ::GetLastError() != ERROR_LOCK_VIOLATION)
    return LastError();
  return {};
}

// Large pages need a privilege that ordinary users lack, so these are plain
// allocations.
void* AllocateLarge(std::size_t bytes) noexcept {
  return std::malloc(bytes);
}

void FreeLarge(void* memory) noexcept {
  std::free(memory);
}

std::error_code ReplaceFile(const std::filesystem::path& from, const std::filesystem::path& to) {
  // Write-through: the rename reaches the disk before the call returns, as the
  // replaced file's contents already have.
  if (!::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return LastError();
  return {};
}

void InstallStopHandlers() {
  if (stopEvent == nullptr)
    stopEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  ::SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

int StopSignal() {
  return stopSignal.load();
}

NativeFile StopNotifier() {
  return stopEvent == nullptr ? kNoFile : reinterpret_cast<NativeFile>(stopEvent);
}

void SetFilesToDeleteOnForcedStop(const std::vector<std::filesystem::path>& files) {
  auto list = std::make_unique<ForcedStopFiles>();
  for (const std::filesystem::path& file : files)
    list->paths.push_back(file.wstring());
  forcedStopFiles.store(list.get());
  forcedStopLists.push_back(std::move(list));
}

std::int64_t CoarseNanoseconds() noexcept {
  // The tick count is read from memory the system shares with every process.
  return static_cast<std::int64_t>(::GetTickCount64()) * 1'000'000;
}

}  // namespace brackwyn::platform
