// The texture part of the example world: textures.csv with four rules, sand
// on the beach and the sea floor, grass on the gentle land below the snow
// line, snow above it and rock wherever the ground is too steep for both.
// The ids and texture files are placeholders, like the objects' ids.
#pragma once

#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace brackwyn::tools {

inline constexpr char kExampleTextureIndex[] =
    "Texture ID,Texture File,Lowest Height,Highest Height,Steepest Slope,Mask Bitmap\r\n"
    "ex_sand,ex_sand.dds,,160,,\r\n"
    "ex_grass,ex_grass.dds,,4000,18,\r\n"
    "ex_snow,ex_snow.dds,4000,,22,\r\n"
    "ex_rock,ex_rock.dds,,,,\r\n";

inline void WriteExampleTextures(const std::filesystem::path& folder) {
  std::ofstream file(folder / "textures.csv", std::ios::binary);
  file << kExampleTextureIndex;
  if (!file)
    throw std::runtime_error("cannot write " + (folder / "textures.csv").string());
}

}  // namespace brackwyn::tools
