// Feeds arbitrary bytes to the plugin reader, and what it accepts to the
// land picture, which trusts the grid positions and heights it is given.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

#include "plugin/plugin_reader.hpp"
#include "preview/plugin_picture.hpp"

namespace {

// Large pictures only cost time here; their size limit has its own test.
bool SmallBox(const brackwyn::PluginContents& plugin) {
  auto [x0, x1] =
      std::minmax_element(plugin.lands.begin(), plugin.lands.end(),
                          [](const auto& a, const auto& b) { return a.gridX < b.gridX; });
  auto [y0, y1] =
      std::minmax_element(plugin.lands.begin(), plugin.lands.end(),
                          [](const auto& a, const auto& b) { return a.gridY < b.gridY; });
  return std::int64_t{x1->gridX} - x0->gridX < 64 && std::int64_t{y1->gridY} - y0->gridY < 64;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    brackwyn::PluginContents plugin = brackwyn::ReadPlugin(std::span(data, size), "fuzz.esp");
    if (!plugin.lands.empty() && SmallBox(plugin))
      (void)brackwyn::DrawPluginPicture(plugin, 64);  // one pixel a cell
  } catch (const brackwyn::RunError&) {
  }
  return 0;
}
