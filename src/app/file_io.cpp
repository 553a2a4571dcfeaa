#include "app/file_io.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "app/file_descriptor.hpp"
#include "app/run_error.hpp"

namespace brackwyn {
namespace {

constexpr std::size_t kWriteBufferBytes = 4 << 20;

std::string Describe(int error) {
  return std::strerror(error);
}

bool WriteFully(int fd, const std::uint8_t* data, std::size_t size, std::uint64_t offset) {
  while (size > 0) {
    ssize_t n = ::pwrite(fd, data, size, static_cast<off_t>(offset));
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0) {
      if (n == 0)
        errno = ENOSPC;
      return false;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
    offset += static_cast<std::uint64_t>(n);
  }
  return true;
}

}  // namespace

std::string NameFile(std::string_view role, const std::filesystem::path& path) {
  return "the " + std::string(role) + " \"" + path.string() + "\"";
}

std::vector<std::uint8_t> ReadWholeFile(const std::filesystem::path& path, std::string_view role) {
  FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  auto fail = [&](int error) -> RunError {
    return RunError("Cannot read " + NameFile(role, path) + ": " + Describe(error) + ".");
  };
  if (fd.get() < 0)
    throw fail(errno);
  struct stat info {};
  if (::fstat(fd.get(), &info) != 0)
    throw fail(errno);
  if (!S_ISREG(info.st_mode))
    throw fail(EISDIR);
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(info.st_size));
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::read(fd.get(), bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR)
      continue;
    if (n < 0)
      throw fail(errno);
    if (n == 0)
      break;  // the file shrank while we read it
    done += static_cast<std::size_t>(n);
  }
  bytes.resize(done);
  return bytes;
}

std::uint64_t FileLengthCreatingIfMissing(const std::filesystem::path& path,
                                          std::string_view role) {
  FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC, 0644));
  struct stat info {};
  if (fd.get() < 0 || ::fstat(fd.get(), &info) != 0) {
    throw RunError("Cannot open or create " + NameFile(role, path) + ": " + Describe(errno) + ".");
  }
  return static_cast<std::uint64_t>(info.st_size);
}

ReplacingFile::ReplacingFile(std::filesystem::path target, std::string role, Sync sync)
    : target_(std::move(target)), role_(std::move(role)), sync_(sync) {
  temporary_ = target_;
  temporary_ += ".brackwyn-partial";
  fd_.reset(::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
  if (!fd_.valid())
    fail("create", errno);
  buffer_.reserve(kWriteBufferBytes);
}

ReplacingFile::~ReplacingFile() {
  fd_.reset();  // before the removal below
  if (!committed_) {
    std::error_code ignored;
    std::filesystem::remove(temporary_, ignored);
  }
}

void ReplacingFile::fail(std::string_view what, int error) const {
  throw RunError("Cannot " + std::string(what) + " " + NameFile(role_, target_) + ": " +
                 Describe(error) + ".");
}

void ReplacingFile::flush() {
  if (buffer_.empty())
    return;
  if (!WriteFully(fd_.get(), buffer_.data(), buffer_.size(), written_))
    fail("write", errno);
  written_ += buffer_.size();
  buffer_.clear();
}

void ReplacingFile::append(const void* data, std::size_t size) {
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  if (buffer_.size() + size > kWriteBufferBytes) {
    flush();
    if (size >= kWriteBufferBytes) {
      if (!WriteFully(fd_.get(), bytes, size, written_))
        fail("write", errno);
      written_ += size;
      return;
    }
  }
  buffer_.insert(buffer_.end(), bytes, bytes + size);
}

void ReplacingFile::writeAt(std::uint64_t offset, const void* data, std::size_t size) {
  flush();
  if (offset + size > written_)
    fail("write", EINVAL);
  if (!WriteFully(fd_.get(), static_cast<const std::uint8_t*>(data), size, offset))
    fail("write", errno);
}

void ReplacingFile::commit() {
  flush();
  if (sync_ == Sync::OnCommit && ::fsync(fd_.get()) != 0)
    fail("write", errno);
  int fd = fd_.release();
  if (::close(fd) != 0)
    fail("write", errno);
  std::error_code error;
  std::filesystem::rename(temporary_, target_, error);
  if (error)
    fail("replace", error.value());
  committed_ = true;
}

}  // namespace brackwyn
