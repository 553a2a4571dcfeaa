#include "core/whole_file.hpp"

#include <new>
#include <string>

#include "core/positioned_file.hpp"
#include "core/run_error.hpp"

namespace brackwyn {
namespace {

std::vector<std::uint8_t> ReadUpTo(const PositionedFile& file, std::uint64_t maxBytes) {
  const std::uint64_t size = std::min(file.size(), maxBytes);
  std::vector<std::uint8_t> bytes;
  try {
    bytes.resize(static_cast<std::size_t>(size));
  } catch (const std::bad_alloc&) {
    file.fail("read", "there is not enough memory for its " + std::to_string(size) + " bytes");
  }
  bytes.resize(file.readUpTo(bytes.data(), bytes.size(), 0));  // the file may shrink meanwhile
  return bytes;
}

}  // namespace

std::vector<std::uint8_t> ReadWholeFile(const std::filesystem::path& path, std::string_view role,
                                        std::uint64_t maxBytes) {
  PositionedFile file(path, std::string(role), platform::OpenMode::Read, "read");
  file.requireRegularFile("read");
  if (std::uint64_t size = file.size(); size > maxBytes) {
    file.fail("read", "it holds " + std::to_string(size) + " bytes, more than the " +
                          std::to_string(maxBytes >> 20) + " MiB such a file may hold");
  }
  return ReadUpTo(file, maxBytes);
}

std::vector<std::uint8_t> ReadFileStart(const std::filesystem::path& path, std::string_view role,
                                        std::uint64_t maxBytes) {
  PositionedFile file(path, std::string(role), platform::OpenMode::Read, "read");
  file.requireRegularFile("read");
  return ReadUpTo(file, maxBytes);
}

std::uint64_t FileLengthCreatingIfMissing(const std::filesystem::path& path,
                                          std::string_view role) {
  PositionedFile file(path, std::string(role), platform::OpenMode::ReadCreate, "open or create");
  file.requireRegularFile("read");
  return file.size();
}

}  // namespace brackwyn
