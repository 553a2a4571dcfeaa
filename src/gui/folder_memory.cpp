#include "gui/folder_memory.hpp"

#include <system_error>

#include <QDir>
#include <QSettings>

namespace brackwyn::gui {
namespace {

constexpr char kKey[] = "workingFolder";

}  // namespace

std::filesystem::path StartFolder(const std::optional<std::filesystem::path>& commandLine,
                                  const QSettings& settings) {
  if (commandLine)
    return *commandLine;
  std::filesystem::path remembered(settings.value(kKey).toString().toStdU16String());
  std::error_code error;
  if (!remembered.empty() && std::filesystem::is_directory(remembered, error))
    return remembered;
  return std::filesystem::path(QDir::homePath().toStdU16String());
}

std::filesystem::path AbsoluteFolder(const std::filesystem::path& folder) {
  std::error_code error;
  std::filesystem::path absolute = std::filesystem::absolute(folder, error).lexically_normal();
  if (error)
    return folder;
  // "/home/me/." normalises to "/home/me/", whose file name is empty.
  return absolute.has_filename() ? absolute : absolute.parent_path();
}

void RememberFolder(QSettings& settings, const std::filesystem::path& folder) {
  settings.setValue(kKey, QString::fromStdU16String(AbsoluteFolder(folder).u16string()));
}

}  // namespace brackwyn::gui
