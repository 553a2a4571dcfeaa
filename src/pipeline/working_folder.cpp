#include "pipeline/working_folder.hpp"

#include <system_error>

namespace brackwyn {

std::filesystem::path ChooseStartFolder(const std::optional<std::filesystem::path>& commandLine,
                                        const std::filesystem::path& remembered,
                                        const std::filesystem::path& home) {
  if (commandLine)
    return *commandLine;
  std::error_code error;
  if (!remembered.empty() && std::filesystem::is_directory(remembered, error))
    return remembered;
  return home;
}

std::filesystem::path AbsoluteFolder(const std::filesystem::path& folder) {
  std::error_code error;
  std::filesystem::path absolute = std::filesystem::absolute(folder, error).lexically_normal();
  if (error)
    return folder;
  // "/home/me/." normalises to "/home/me/", whose file name is empty.
  return absolute.has_filename() ? absolute : absolute.parent_path();
}

}  // namespace brackwyn
