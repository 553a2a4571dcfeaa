#include "core/replacing_file.hpp"

#include "core/output_check.hpp"
#include "core/run_error.hpp"

namespace brackwyn {
namespace {

constexpr std::size_t kWriteBufferBytes = 4 << 20;
// A block this large goes to the file as it is: copying it into the buffer
// would cost more than the write it saves.
constexpr std::size_t kDirectWriteBytes = 128 << 10;

}  // namespace

std::filesystem::path TemporaryBeside(const std::filesystem::path& target) {
  std::filesystem::path temporary = target;
  temporary += ".brackwyn-partial";
  return temporary;
}

// The temporary file's messages name the target: the modder knows that name.
ReplacingFile::ReplacingFile(std::filesystem::path target, std::string role, Sync sync)
    : target_(std::move(target)),
      temporary_(TemporaryBeside(target_)),
      role_(std::move(role)),
      sync_(sync) {
  // The rename would replace a device or a pipe of that name as it replaces a file.
  OutputCheck kind;
  kind.AddOutput(role_, target_);
  kind.Check();
  // Whatever has the temporary name, a leftover of a crashed run or a link
  // placed there, is removed: no link is followed, no old file written into.
  file_ = PositionedFile::CreateNew(temporary_, target_, role_);
  buffer_.reserve(kWriteBufferBytes);
  if (sync_ == Sync::Behind)
    writeBehind_ = std::make_unique<WriteBehind>(file_);
}

ReplacingFile::~ReplacingFile() {
  writeBehind_.reset();
  file_ = PositionedFile();  // closed before the removal below
  if (!committed_) {
    std::error_code ignored;
    std::filesystem::remove(temporary_, ignored);
  }
}

void ReplacingFile::fail(std::string_view what, std::error_code error) const {
  throw RunError("Cannot " + std::string(what) + " " + NameFile(role_, target_) + ": " +
                 error.message() + ".");
}

void ReplacingFile::writeThrough(const void* data, std::size_t size) {
  file_.writeFully(data, size, written_);
  written_ += size;
  if (writeBehind_)
    writeBehind_->written(written_);
}

void ReplacingFile::flush() {
  if (buffer_.empty())
    return;
  writeThrough(buffer_.data(), buffer_.size());
  buffer_.clear();
}

void ReplacingFile::append(const void* data, std::size_t size) {
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  if (size >= kDirectWriteBytes || buffer_.size() + size > kWriteBufferBytes) {
    flush();
    if (size >= kDirectWriteBytes) {
      writeThrough(bytes, size);
      return;
    }
  }
  buffer_.insert(buffer_.end(), bytes, bytes + size);
}

void ReplacingFile::writeAt(std::uint64_t offset, const void* data, std::size_t size) {
  flush();
  if (offset + size > written_)
    fail("write", std::make_error_code(std::errc::invalid_argument));
  file_.writeFully(data, size, offset);
}

void ReplacingFile::commit() {
  flush();
  if (writeBehind_)
    writeBehind_->stop();
  if (sync_ == Sync::OnCommit)
    file_.syncToDisk();
  file_.closeChecked();
  if (std::error_code error = platform::ReplaceFile(temporary_, target_))
    fail("replace", error);
  committed_ = true;
}

}  // namespace brackwyn
