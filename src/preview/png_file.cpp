#include "preview/png_file.hpp"

#include <string>

#include "core/replacing_file.hpp"

namespace brackwyn {

void WritePngFile(const RgbImage& image, const std::filesystem::path& path, std::string_view role) {
  std::vector<std::uint8_t> bytes = EncodePng(image);
  ReplacingFile file(path, std::string(role), ReplacingFile::Sync::Never);
  file.append(bytes);
  file.commit();
}

}  // namespace brackwyn
