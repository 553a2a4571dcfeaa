#include "core/whole_file.hpp"

#include <string>

#include "core/positioned_file.hpp"

namespace brackwyn {

std::vector<std::uint8_t> ReadWholeFile(const std::filesystem::path& path, std::string_view role) {
  PositionedFile file(path, std::string(role), platform::OpenMode::Read, "read");
  file.requireRegularFile("read");
  std::vector<std::uint8_t> bytes(file.size());
  bytes.resize(file.readUpTo(bytes.data(), bytes.size(), 0));  // the file may shrink meanwhile
  return bytes;
}

std::uint64_t FileLengthCreatingIfMissing(const std::filesystem::path& path,
                                          std::string_view role) {
  PositionedFile file(path, std::string(role), platform::OpenMode::ReadCreate, "open or create");
  file.requireRegularFile("read");
  return file.size();
}

}  // namespace brackwyn
