// The texture index file: a header line, then one rule a line,
//
//   Texture ID,Texture File,Lowest Height,Highest Height,Steepest Slope,Mask Bitmap
//
// Lines end in CR LF, LF or CR; fields are split at commas and taken as
// written (core/csv_lines.hpp). Heights are game units, the slope degrees
// (0..90); an empty field sets no limit. The mask column may be empty or left
// out. Rows are counted like a spreadsheet's, the header being row 1, so a
// message's row is the line the modder sees in an editor.
#pragma once

#include <cstdint>
#include <filesystem>
#include <limits>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace brackwyn {

inline constexpr int kMaxTextureRules = 255;

struct TextureRule {
  int row = 0;
  std::string id;
  std::string file;
  double lowestHeight = -std::numeric_limits<double>::infinity();
  double highestHeight = std::numeric_limits<double>::infinity();
  double steepestSlope = 90;  // degrees
  std::string maskFile;       // empty: no mask
};

// The game does not tell the case of IDs apart: "Sand" and "sand" are one.
bool SameTextureId(std::string_view a, std::string_view b);

// `fileDescription` opens every message about the file, e.g. the result of
// NameFile. Throws RunError naming the row and column of the first bad field:
// a number that is not one, a lowest height above the highest, a slope outside
// 0..90, an ID or texture file the game cannot take (empty, a control
// character, more than 255 bytes), one ID with two texture files, a row with
// too few or too many fields; and for an index without rules or with more
// than 255.
std::vector<TextureRule> ParseTextureIndex(std::span<const std::uint8_t> bytes,
                                           const std::string& fileDescription);

// Reads and parses the index file at `path` (the file of txtTextureIndex).
std::vector<TextureRule> ReadTextureIndex(const std::filesystem::path& path);

}  // namespace brackwyn
