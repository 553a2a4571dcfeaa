// One run per working folder. Two runs in one folder would share the work
// files, and whichever ended first would delete them under the other, which
// then writes a plugin without its objects and reports success.
//
// The lock is an exclusive lock on "Brackwyn.lock" in the working folder. The
// file is created when missing and never deleted: deleting it would let a
// third run lock a new file of that name while the second still holds the
// old one. The system drops the lock when the holder closes it or ends,
// however it ends, so a crashed run leaves no stale lock behind.
#pragma once

#include <filesystem>
#include <optional>

#include "core/file_descriptor.hpp"

namespace brackwyn {

inline constexpr char kFolderLockFileName[] = "Brackwyn.lock";

class FolderLock {
 public:
  // Takes the lock of `folder`, or throws RunError saying that another run
  // is using the folder.
  explicit FolderLock(const std::filesystem::path& folder);

  // The lock when no other run holds it, nullopt otherwise. Throws RunError
  // when the lock file cannot be opened or created.
  static std::optional<FolderLock> TryTake(const std::filesystem::path& folder);

 private:
  explicit FolderLock(FileDescriptor file) : file_(std::move(file)) {}

  FileDescriptor file_;
};

}  // namespace brackwyn
