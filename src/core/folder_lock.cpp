#include "core/folder_lock.hpp"

#include "core/positioned_file.hpp"
#include "core/run_error.hpp"

namespace brackwyn {
namespace {

constexpr std::string_view kRole = "lock file of the working folder";

[[noreturn]] void Fail(const std::filesystem::path& path, std::error_code error) {
  throw RunError("Cannot open or create " + NameFile(kRole, path) + ": " + error.message() + ".");
}

}  // namespace

std::optional<FolderLock> FolderLock::TryTake(const std::filesystem::path& folder) {
  std::filesystem::path path = folder / kFolderLockFileName;
  platform::NativeFile native = platform::kNoFile;
  if (std::error_code error = platform::OpenFile(path, platform::OpenMode::ReadCreate, native))
    Fail(path, error);
  FileDescriptor file(native);
  bool taken = false;
  if (std::error_code error = platform::TryLockExclusive(file.get(), taken))
    Fail(path, error);
  if (!taken)
    return std::nullopt;
  return FolderLock(std::move(file));
}

FolderLock::FolderLock(const std::filesystem::path& folder) {
  std::optional<FolderLock> lock = TryTake(folder);
  if (!lock) {
    std::error_code ignored;
    std::filesystem::path shown = std::filesystem::absolute(folder, ignored).lexically_normal();
    throw RunError("Another run is using the folder \"" + shown.string() + "\" (it holds " +
                   kFolderLockFileName +
                   " there). Wait until it has finished, or work in another folder.");
  }
  file_ = std::move(lock->file_);
}

}  // namespace brackwyn
