// All-or-nothing file replacement: writes a file beside the target and renames
// it over the target on commit, so a failed or abandoned write never replaces
// a good file with a partial one. Writes are buffered; nothing is visible
// under the target name before commit().
//
// The file beside is always made anew (whatever had its name is removed
// first), and the rename replaces the target's name: a symbolic link there
// becomes a regular file and its target is left alone. A target that is not a
// file or a link (a folder, a pipe, a device) is refused.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include <memory>

#include "core/positioned_file.hpp"
#include "core/write_behind.hpp"

namespace brackwyn {

// The name of the file written before it replaces `target`.
std::filesystem::path TemporaryBeside(const std::filesystem::path& target);

class ReplacingFile {
 public:
  enum class Sync { OnCommit, Never, Behind };

  // Sync::Never skips the sync on commit: for large outputs that are cheap to
  // make again, where the sync would cost more than the whole run.
  // Sync::Behind does not wait either, but has the system start writing each
  // block to disk soon after it is written (core/write_behind.hpp): for files
  // of many megabytes, whose commit would otherwise wait for that.
  ReplacingFile(std::filesystem::path target, std::string role, Sync sync = Sync::OnCommit);
  ~ReplacingFile();  // removes the temporary file unless committed
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;

  void append(const void* data, std::size_t size);
  void append(std::span<const std::uint8_t> bytes) { append(bytes.data(), bytes.size()); }
  // Overwrites bytes already appended (e.g. a count known only at the end).
  void writeAt(std::uint64_t offset, const void* data, std::size_t size);
  std::uint64_t size() const { return written_ + buffer_.size(); }

  // Flushes, syncs to disk if asked to, closes and renames over the target.
  void commit();

  const std::filesystem::path& temporaryPath() const { return temporary_; }

 private:
  void flush();
  void writeThrough(const void* data, std::size_t size);
  [[noreturn]] void fail(std::string_view what, std::error_code error) const;

  std::filesystem::path target_;
  std::filesystem::path temporary_;
  std::string role_;
  Sync sync_;
  PositionedFile file_;
  std::uint64_t written_ = 0;
  std::vector<std::uint8_t> buffer_;
  bool committed_ = false;
  std::unique_ptr<WriteBehind> writeBehind_;  // with Sync::Behind; stops before file_ closes
};

}  // namespace brackwyn
