#include "gui_test_support.hpp"

#include <cstdlib>
#include <stdexcept>

#include <QPushButton>
#include <QTest>

namespace brackwyn::gui::testing {

TestWindow::TestWindow(const std::filesystem::path& folder) : window(folder, &presenter) {
  window.show();
}

void TestWindow::click(const char* buttonName) {
  auto* button = find<QPushButton>(buttonName);
  if (button == nullptr)
    throw std::logic_error(std::string("no button ") + buttonName);
  QTest::mouseClick(button, Qt::LeftButton);
}

const std::filesystem::path& ExampleWorld() {
  static const std::filesystem::path folder = [] {
    std::filesystem::path path = BRACKWYN_GUI_EXAMPLE_WORLD;
    if (!std::filesystem::exists(path / "mountain.bmp")) {
      std::string command = std::string(BRACKWYN_MAKE_EXAMPLE_WORLD) + " " + path.string();
      if (std::system(command.c_str()) != 0)
        throw std::runtime_error("cannot make the example world: " + command);
    }
    return path;
  }();
  return folder;
}

void LinkExampleWorld(const std::filesystem::path& folder) {
  for (const auto& entry : std::filesystem::directory_iterator(ExampleWorld())) {
    const std::filesystem::path name = entry.path().filename();
    if (name.extension() == ".bmp" || name.extension() == ".csv")
      std::filesystem::create_symlink(entry.path(), folder / name);
  }
}

}  // namespace brackwyn::gui::testing
