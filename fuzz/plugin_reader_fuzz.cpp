// Feeds arbitrary bytes to the plugin reader, and what it accepts to the
// land picture, which trusts the grid positions and heights it is given.
#include <cstddef>
#include <cstdint>
#include <span>

#include "plugin/plugin_reader.hpp"
#include "preview/plugin_picture.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    brackwyn::PluginContents plugin = brackwyn::ReadPlugin(std::span(data, size), "fuzz.esp");
    if (!plugin.lands.empty())
      (void)brackwyn::DrawPluginPicture(plugin, 64);  // one pixel a cell: small pictures
  } catch (const brackwyn::RunError&) {
  }
  return 0;
}
