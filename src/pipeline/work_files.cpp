#include "pipeline/work_files.hpp"

#include <vector>

#include "core/platform.hpp"
#include "core/replacing_file.hpp"

namespace brackwyn {

void DeleteWorkFiles(const std::filesystem::path& workingDirectory) {
  for (std::string_view name : kWorkFileNames) {
    std::error_code ignored;  // a missing file is the wanted result already
    std::filesystem::remove(workingDirectory / name, ignored);
  }
}

void DeleteWorkFilesOnForcedStop(const std::filesystem::path& workingDirectory,
                                 const std::filesystem::path& plugin) {
  std::vector<std::filesystem::path> files;
  for (std::string_view name : kWorkFileNames)
    files.push_back(workingDirectory / name);
  files.push_back(TemporaryBeside(workingDirectory / plugin));
  platform::SetFilesToDeleteOnForcedStop(files);
}

}  // namespace brackwyn
