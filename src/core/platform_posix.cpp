// The POSIX half of the platform interface.
#include "core/platform.hpp"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#if defined(__linux__)
#include <linux/magic.h>
#include <sys/vfs.h>
#endif

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <memory>
#include <string>

namespace brackwyn::platform {
namespace {

// One write call fills at most this much of the page cache. For larger
// calls Linux takes the cache's memory in blocks of a megabyte and more, and
// on virtual machines that hand freed memory back to the host, such blocks
// cost about ten times as much per byte as smaller ones: a gigabyte took 2.3
// to 2.6 s written a megabyte or more at a time, 0.2 to 0.3 s in 256 KiB calls.
constexpr std::size_t kMaxWriteCall = std::size_t{256} << 10;

volatile std::sig_atomic_t stopSignal = 0;
int stopNotifierRead = -1;
int stopNotifierWrite = -1;

// Paths as C strings, made before any signal can need them: the handler may
// not allocate.
struct ForcedStopFiles {
  std::vector<std::string> paths;
};
std::atomic<const ForcedStopFiles*> forcedStopFiles{nullptr};
// Every list made, kept: a handler running right now may still read an old one.
std::vector<std::unique_ptr<ForcedStopFiles>> forcedStopLists;

void OnStopSignal(int signal) {
  int savedErrno = errno;
  if (stopSignal != 0) {
    if (const ForcedStopFiles* files = forcedStopFiles.load()) {
      for (const std::string& path : files->paths)
        ::unlink(path.c_str());
    }
    ::signal(signal, SIG_DFL);
    ::raise(signal);  // delivered when the handler returns, ending the process
    errno = savedErrno;
    return;
  }
  stopSignal = signal;
  if (stopNotifierWrite >= 0) {
    char byte = 1;
    [[maybe_unused]] ssize_t ignored = ::write(stopNotifierWrite, &byte, 1);
  }
  errno = savedErrno;
}

std::error_code LastError() {
  return {errno, std::system_category()};
}

int Fd(NativeFile file) {
  return static_cast<int>(file);
}

int OpenFlags(OpenMode mode) {
  switch (mode) {
    case OpenMode::Read:
      return O_RDONLY;
    case OpenMode::ReadCreate:
      return O_RDONLY | O_CREAT;
    case OpenMode::ReadWriteCreate:
      return O_RDWR | O_CREAT;
    case OpenMode::WriteCreateTruncate:
      return O_WRONLY | O_CREAT | O_TRUNC;
    case OpenMode::ReadWriteCreateNew:
      return O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW;
  }
  return O_RDONLY;
}

}  // namespace

std::error_code OpenFile(const std::filesystem::path& path, OpenMode mode, NativeFile& file) {
  int fd;
  do {
    fd = ::open(path.c_str(), OpenFlags(mode) | O_CLOEXEC | O_NONBLOCK, 0644);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0)
    return LastError();
  file = fd;
  return {};
}

std::error_code IdentifyFile(const std::filesystem::path& path, bool followLinks,
                             FileIdentity& identity) {
  struct stat info {};
  int result = followLinks ? ::stat(path.c_str(), &info) : ::lstat(path.c_str(), &info);
  identity = FileIdentity{};
  if (result != 0) {
    if (errno == ENOENT || errno == ENOTDIR)
      return {};
    return LastError();
  }
  using Kind = FileIdentity::Kind;
  identity.kind = S_ISREG(info.st_mode)   ? Kind::Regular
                  : S_ISLNK(info.st_mode) ? Kind::SymbolicLink
                                          : Kind::Other;
  identity.device = static_cast<std::uint64_t>(info.st_dev);
  identity.file = static_cast<std::uint64_t>(info.st_ino);
  return {};
}

std::string PathComparisonKey(const std::filesystem::path& path) {
  return path.native();
}

std::error_code RemoveName(const std::filesystem::path& path) {
  if (::unlink(path.c_str()) == 0 || errno == ENOENT)
    return {};
  return LastError();
}

void Close(NativeFile file) noexcept {
  if (file != kNoFile)
    ::close(Fd(file));
}

std::error_code CloseChecked(NativeFile file) {
  return ::close(Fd(file)) == 0 ? std::error_code() : LastError();
}

std::error_code IsRegularFile(NativeFile file, bool& regular) {
  struct stat info {};
  if (::fstat(Fd(file), &info) != 0)
    return LastError();
  regular = S_ISREG(info.st_mode);
  return {};
}

std::error_code FileSize(NativeFile file, std::uint64_t& size) {
  struct stat info {};
  if (::fstat(Fd(file), &info) != 0)
    return LastError();
  size = static_cast<std::uint64_t>(info.st_size);
  return {};
}

std::error_code SetFileSize(NativeFile file, std::uint64_t size) {
  int result;
  do {
    result = ::ftruncate(Fd(file), static_cast<off_t>(size));
  } while (result != 0 && errno == EINTR);
  return result == 0 ? std::error_code() : LastError();
}

void ReserveSpace(NativeFile file, std::uint64_t size) noexcept {
#if defined(__linux__)
  struct statfs system {};
  if (::fstatfs(Fd(file), &system) != 0 || system.f_type == TMPFS_MAGIC ||
      system.f_type == RAMFS_MAGIC)
    return;  // there the space would be memory
  const auto available =
      static_cast<std::uint64_t>(system.f_bavail) * static_cast<std::uint64_t>(system.f_bsize);
  if (available / 2 < size)
    return;  // leave a full disk to the bytes really written
  (void)::fallocate(Fd(file), 0, 0, static_cast<off_t>(size));
#else
  (void)file, (void)size;
#endif
}

std::error_code SyncToDisk(NativeFile file) {
  return ::fsync(Fd(file)) == 0 ? std::error_code() : LastError();
}

void StartWriteBack(NativeFile file, std::uint64_t offset, std::uint64_t size) noexcept {
#if defined(__linux__)
  ::sync_file_range(Fd(file), static_cast<off_t>(offset), static_cast<off_t>(size),
                    SYNC_FILE_RANGE_WRITE);
#else
  (void)file, (void)offset, (void)size;
#endif
}

std::error_code ReadAt(NativeFile file, void* data, std::size_t size, std::uint64_t offset,
                       std::size_t& done) {
  ssize_t n;
  do {
    n = ::pread(Fd(file), data, size, static_cast<off_t>(offset));
  } while (n < 0 && errno == EINTR);
  if (n < 0)
    return LastError();
  done = static_cast<std::size_t>(n);
  return {};
}

std::error_code WriteAt(NativeFile file, const void* data, std::size_t size, std::uint64_t offset,
                        std::size_t& done) {
  ssize_t n;
  do {
    n = ::pwrite(Fd(file), data, std::min(size, kMaxWriteCall), static_cast<off_t>(offset));
  } while (n < 0 && errno == EINTR);
  if (n < 0)
    return LastError();
  if (n == 0 && size > 0)
    return {ENOSPC, std::system_category()};
  done = static_cast<std::size_t>(n);
  return {};
}

std::error_code DataRanges(NativeFile file, std::uint64_t begin, std::uint64_t end,
                           std::vector<std::pair<std::uint64_t, std::uint64_t>>& ranges) {
  ranges.clear();
  std::uint64_t at = begin;
  while (at < end) {
    off_t data = ::lseek(Fd(file), static_cast<off_t>(at), SEEK_DATA);
    if (data < 0 && errno == ENXIO)
      break;         // nothing but holes up to the end of the file
    if (data < 0) {  // no hole detection here: all of it may be data
      ranges.emplace_back(at, end);
      break;
    }
    auto dataBegin = static_cast<std::uint64_t>(data);
    if (dataBegin >= end)
      break;
    off_t hole = ::lseek(Fd(file), data, SEEK_HOLE);
    std::uint64_t dataEnd = hole < 0 ? end : std::min(static_cast<std::uint64_t>(hole), end);
    ranges.emplace_back(dataBegin, dataEnd);
    at = dataEnd;
  }
  return {};
}

// flock, not fcntl: its locks belong to the open file, so two opens in one
// process exclude each other as two processes do, and closing another
// descriptor of the file does not drop them.
std::error_code TryLockExclusive(NativeFile file, bool& taken) {
  int result;
  do {
    result = ::flock(Fd(file), LOCK_EX | LOCK_NB);
  } while (result != 0 && errno == EINTR);
  taken = result == 0;
  if (result != 0 && errno != EWOULDBLOCK)
    return LastError();
  return {};
}

void* AllocateLarge(std::size_t bytes) noexcept {
  constexpr std::size_t kAlignment = std::size_t{2} << 20;  // as the peak above was measured
  void* memory = nullptr;
  if (::posix_memalign(&memory, kAlignment, bytes) != 0)
    return nullptr;
  return memory;
}

void FreeLarge(void* memory) noexcept {
  std::free(memory);
}

std::error_code ReplaceFile(const std::filesystem::path& from, const std::filesystem::path& to) {
  return ::rename(from.c_str(), to.c_str()) == 0 ? std::error_code() : LastError();
}

void InstallStopHandlers() {
  int ends[2];
  if (stopNotifierRead < 0 && ::pipe2(ends, O_CLOEXEC | O_NONBLOCK) == 0) {
    stopNotifierRead = ends[0];
    stopNotifierWrite = ends[1];
  }
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;  // a blocked write just goes on; the run checks at its next yield
  for (int signal : {SIGINT, SIGTERM, SIGHUP})
    ::sigaction(signal, &action, nullptr);
  ::signal(SIGPIPE, SIG_IGN);
}

int StopSignal() {
  return stopSignal;
}

NativeFile StopNotifier() {
  return stopNotifierRead;
}

void SetFilesToDeleteOnForcedStop(const std::vector<std::filesystem::path>& files) {
  auto list = std::make_unique<ForcedStopFiles>();
  for (const std::filesystem::path& file : files)
    list->paths.push_back(file.string());
  forcedStopFiles.store(list.get());
  forcedStopLists.push_back(std::move(list));
}

std::int64_t CoarseNanoseconds() noexcept {
  // Read from the vDSO's page, without entering the kernel.
  timespec now{};
  ::clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
  return std::int64_t{now.tv_sec} * 1'000'000'000 + now.tv_nsec;
}

}  // namespace brackwyn::platform
