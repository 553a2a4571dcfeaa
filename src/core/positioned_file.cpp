#include "core/positioned_file.hpp"

#include <cerrno>

#include "core/run_error.hpp"
#include "core/utf8_path.hpp"

namespace brackwyn {

std::string NameFile(std::string_view role, const std::filesystem::path& path) {
  return "the " + std::string(role) + " \"" + Utf8FromPath(path) + "\"";
}

PositionedFile::PositionedFile(std::filesystem::path path, std::string role,
                               platform::OpenMode mode, std::string_view openVerb)
    : PositionedFile(path, path, std::move(role), mode, openVerb) {}

PositionedFile::PositionedFile(std::filesystem::path path, std::filesystem::path shownPath,
                               std::string role, platform::OpenMode mode, std::string_view openVerb)
    : path_(std::move(path)), shownPath_(std::move(shownPath)), role_(std::move(role)) {
  platform::NativeFile file = platform::kNoFile;
  if (std::error_code error = platform::OpenFile(path_, mode, file))
    fail(openVerb, error);
  fd_.reset(file);
}

PositionedFile PositionedFile::CreateNew(std::filesystem::path path,
                                         std::filesystem::path shownPath, std::string role) {
  if (std::error_code error = platform::RemoveName(path)) {
    throw RunError("Cannot create " + NameFile(role, shownPath) + ": " + error.message() + ".");
  }
  return PositionedFile(std::move(path), std::move(shownPath), std::move(role),
                        platform::OpenMode::ReadWriteCreateNew, "create");
}

PositionedFile PositionedFile::OpenIfPresent(std::filesystem::path path, std::string role,
                                             platform::OpenMode mode, std::string_view openVerb) {
  PositionedFile result;
  result.shownPath_ = path;
  result.path_ = std::move(path);
  result.role_ = std::move(role);
  platform::NativeFile file = platform::kNoFile;
  std::error_code error = platform::OpenFile(result.path_, mode, file);
  if (error == std::errc::no_such_file_or_directory)
    return result;
  if (error)
    result.fail(openVerb, error);
  result.fd_.reset(file);
  return result;
}

void PositionedFile::fail(std::string_view verb, std::error_code error) const {
  fail(verb, error.message());
}

void PositionedFile::fail(std::string_view verb, std::string_view reason) const {
  throw RunError("Cannot " + std::string(verb) + " " + NameFile(role_, shownPath_) + ": " +
                 std::string(reason) + ".");
}

bool PositionedFile::isRegularFile() const {
  bool regular = false;
  if (std::error_code error = platform::IsRegularFile(fd_.get(), regular))
    fail("open", error);
  return regular;
}

void PositionedFile::requireRegularFile(std::string_view verb) const {
  if (!isRegularFile())
    fail(verb, "it is not a regular file (a folder, a pipe or a device?)");
}

std::uint64_t PositionedFile::size() const {
  std::uint64_t size = 0;
  if (std::error_code error = platform::FileSize(fd_.get(), size))
    fail("open", error);
  return size;
}

void PositionedFile::setSize(std::uint64_t size, std::string_view verb) {
  if (std::error_code error = platform::SetFileSize(fd_.get(), size))
    fail(verb, error);
}

std::size_t PositionedFile::readUpTo(void* data, std::size_t size, std::uint64_t offset) const {
  auto* out = static_cast<std::uint8_t*>(data);
  std::size_t total = 0;
  while (total < size) {
    std::size_t done = 0;
    if (std::error_code error =
            platform::ReadAt(fd_.get(), out + total, size - total, offset + total, done))
      fail("read", error);
    if (done == 0)
      break;
    total += done;
  }
  return total;
}

void PositionedFile::writeFully(const void* data, std::size_t size, std::uint64_t offset) {
  const auto* in = static_cast<const std::uint8_t*>(data);
  std::size_t total = 0;
  while (total < size) {
    std::size_t done = 0;
    if (std::error_code error =
            platform::WriteAt(fd_.get(), in + total, size - total, offset + total, done))
      fail("write", error);
    total += done;
  }
}

std::vector<PositionedFile::Range> PositionedFile::dataRanges(std::uint64_t begin,
                                                              std::uint64_t end) const {
  std::vector<Range> ranges;
  if (std::error_code error = platform::DataRanges(fd_.get(), begin, end, ranges))
    fail("read", error);
  return ranges;
}

void PositionedFile::syncToDisk() {
  if (std::error_code error = platform::SyncToDisk(fd_.get()))
    fail("write", error);
}

void PositionedFile::closeChecked() {
  if (std::error_code error = platform::CloseChecked(fd_.release()))
    fail("write", error);
}

}  // namespace brackwyn
