#include "gui/folder_memory.hpp"

#include <QDir>
#include <QSettings>

namespace brackwyn::gui {
namespace {

constexpr char kKey[] = "workingFolder";

}  // namespace

std::filesystem::path StartFolder(const std::optional<std::filesystem::path>& commandLine,
                                  const QSettings& settings) {
  return ChooseStartFolder(commandLine,
                           std::filesystem::path(settings.value(kKey).toString().toStdU16String()),
                           std::filesystem::path(QDir::homePath().toStdU16String()));
}

void RememberFolder(QSettings& settings, const std::filesystem::path& folder) {
  settings.setValue(kKey, QString::fromStdU16String(AbsoluteFolder(folder).u16string()));
}

}  // namespace brackwyn::gui
