// An open file that closes itself: no copies, noexcept moves.
#pragma once

#include <utility>

#include "core/platform.hpp"

namespace brackwyn {

class FileDescriptor {
 public:
  FileDescriptor() = default;
  explicit FileDescriptor(platform::NativeFile file) noexcept : file_(file) {}
  ~FileDescriptor() { reset(); }
  FileDescriptor(FileDescriptor&& other) noexcept
      : file_(std::exchange(other.file_, platform::kNoFile)) {}
  FileDescriptor& operator=(FileDescriptor&& other) noexcept {
    if (this != &other)
      reset(std::exchange(other.file_, platform::kNoFile));
    return *this;
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;

  platform::NativeFile get() const noexcept { return file_; }
  bool valid() const noexcept { return file_ != platform::kNoFile; }

  // Closes the current file, ignoring errors (nothing was written that a
  // failed close could lose; writers close with release() and check).
  void reset(platform::NativeFile file = platform::kNoFile) noexcept {
    if (valid())
      platform::Close(file_);
    file_ = file;
  }
  platform::NativeFile release() noexcept { return std::exchange(file_, platform::kNoFile); }

 private:
  platform::NativeFile file_ = platform::kNoFile;
};

}  // namespace brackwyn
