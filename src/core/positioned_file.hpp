// The one file helper: reads and writes whole blocks at an offset, retrying
// short transfers, and turns every failure into a RunError of the form
// `Cannot <verb> the <role> "<path>": <reason>.`
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "core/file_descriptor.hpp"
#include "core/platform.hpp"

namespace brackwyn {

// "the plugin file (txtESP) \"Brackwyn.esp\"": how messages name a file.
std::string NameFile(std::string_view role, const std::filesystem::path& path);

class PositionedFile {
 public:
  using Range = std::pair<std::uint64_t, std::uint64_t>;  // [begin, end)

  PositionedFile() = default;
  // `role` says what the file is for, e.g. `coast height bitmap
  // (txtBitmapCoast)`; `openVerb` opens the message when opening fails
  // ("read", "open or create", ...).
  PositionedFile(std::filesystem::path path, std::string role, platform::OpenMode mode,
                 std::string_view openVerb);
  // Messages name `shownPath` instead: a temporary file goes by its target's name.
  PositionedFile(std::filesystem::path path, std::filesystem::path shownPath, std::string role,
                 platform::OpenMode mode, std::string_view openVerb);

  // Removes whatever has the name `path`, a link rather than its target, and
  // creates a new empty file there for reading and writing, without ever
  // following a link: for outputs that are made anew by every run.
  static PositionedFile CreateNew(std::filesystem::path path, std::filesystem::path shownPath,
                                  std::string role);

  // Like the constructor, but a missing file gives an object without a file.
  static PositionedFile OpenIfPresent(std::filesystem::path path, std::string role,
                                      platform::OpenMode mode, std::string_view openVerb);

  bool isOpen() const { return fd_.valid(); }
  bool isRegularFile() const;
  // Refuses a folder, pipe or device: reading one would give no data, or
  // block the run until some other program writes to it.
  void requireRegularFile(std::string_view verb) const;
  std::uint64_t size() const;
  void setSize(std::uint64_t size, std::string_view verb);
  // Best effort, as platform::ReserveSpace.
  void reserve(std::uint64_t size) { platform::ReserveSpace(fd_.get(), size); }

  // Reads `size` bytes or up to the end of the file; returns the bytes read.
  std::size_t readUpTo(void* data, std::size_t size, std::uint64_t offset) const;
  void writeFully(const void* data, std::size_t size, std::uint64_t offset);

  std::vector<Range> dataRanges(std::uint64_t begin, std::uint64_t end) const;

  // Flushes to disk, then closes and reports a failed close: what a writer
  // needs before it hands its file on.
  void syncToDisk();
  // Safe to call from another thread while this one writes.
  void startWriteBack(std::uint64_t offset, std::uint64_t size) const noexcept {
    platform::StartWriteBack(fd_.get(), offset, size);
  }
  void closeChecked();

  const std::filesystem::path& path() const { return path_; }
  const std::string& role() const { return role_; }

  [[noreturn]] void fail(std::string_view verb, std::error_code error) const;
  [[noreturn]] void fail(std::string_view verb, std::string_view reason) const;

 private:
  std::filesystem::path path_;
  std::filesystem::path shownPath_;
  std::string role_;
  FileDescriptor fd_;
};

}  // namespace brackwyn
