#include "pipeline/work_files.hpp"

namespace brackwyn {

void DeleteWorkFiles(const std::filesystem::path& workingDirectory) {
  for (std::string_view name : kWorkFileNames) {
    std::error_code ignored;  // a missing file is the wanted result already
    std::filesystem::remove(workingDirectory / name, ignored);
  }
}

}  // namespace brackwyn
