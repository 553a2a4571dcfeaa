// LTEX, one per texture in order of first use, after the STAT records:
//
//   NAME  the texture ID with a closing zero
//   INTV  its index from 0 (int32); a LAND record's VTEX names it as index + 1
//   DATA  the texture file with a closing zero, under the game's Textures folder
//
// The game keeps each plugin's texture indexes apart, so numbering from 0
// cannot clash with the master's textures.
#include "plugin/land_texture_records.hpp"

namespace brackwyn {

int WriteLandTextureRecords(const LandTextures& textures, RecordWriter& out) {
  std::int32_t index = 0;
  for (const LandTexture& texture : textures.used) {
    out.startRecord("LTEX");
    out.writeZStringSubRecord("NAME", texture.id);
    out.writeInt32SubRecord("INTV", index++);
    out.writeZStringSubRecord("DATA", texture.file);
    out.endRecord();
  }
  return index;
}

}  // namespace brackwyn
