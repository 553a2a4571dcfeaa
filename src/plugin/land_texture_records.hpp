// The land texture (LTEX) records: one per texture some square uses.
#pragma once

#include "model/land_textures.hpp"
#include "plugin/record_writer.hpp"

namespace brackwyn {

// Appends one LTEX record per used texture, in order of use; returns how many.
int WriteLandTextureRecords(const LandTextures& textures, RecordWriter& out);

}  // namespace brackwyn
