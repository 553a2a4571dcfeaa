#include "cli/inspect_command.hpp"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <map>
#include <set>
#include <sstream>
#include <utility>
#include <vector>

#include "core/output_check.hpp"
#include "core/units.hpp"
#include "model/decoded_heights.hpp"
#include "preview/plugin_picture.hpp"
#include "preview/png_file.hpp"

namespace brackwyn::cli {
namespace {

constexpr std::size_t kWarningsShown = 10;  // of one kind; the rest are counted

std::string FileTypeName(std::int32_t type) {
  switch (type) {
    case 0:
      return "plugin";
    case 1:
      return "master";
    case 32:
      return "saved game";
  }
  return "unknown";
}

std::string GridText(std::int64_t x, std::int64_t y) {
  std::ostringstream text;
  text << "(" << x << ", " << y << ")";
  return text.str();
}

class Warnings {
 public:
  void add(const std::string& kind, std::string text) { byKind_[kind].push_back(std::move(text)); }
  void print(std::ostream& out) const {
    out << "Warnings:\n";
    if (byKind_.empty())
      out << "  none\n";
    for (const auto& [kind, lines] : byKind_) {
      for (std::size_t i = 0; i < std::min(lines.size(), kWarningsShown); ++i)
        out << "  " << lines[i] << "\n";
      if (lines.size() > kWarningsShown)
        out << "  ... and " << lines.size() - kWarningsShown << " more like it\n";
    }
  }

 private:
  std::map<std::string, std::vector<std::string>> byKind_;
};

void PrintHeader(std::ostream& out, const PluginContents& plugin,
                 const std::filesystem::path& pluginPath, Warnings& warnings) {
  const PluginHeader& header = plugin.header;
  out << "Plugin " << pluginPath.string() << ": " << plugin.fileSize << " bytes\n";
  out << "Header: version " << header.version << ", type " << FileTypeName(header.fileType) << " ("
      << header.fileType << "), author \"" << header.author << "\", description \""
      << header.description << "\"\n";
  int records = 0;
  for (const auto& [tag, count] : plugin.recordCounts)
    records += count;
  out << "  record count in the header: " << header.recordCount << " (" << records - 1
      << " records follow the header)\n";
  if (header.recordCount != records - 1) {
    warnings.add("count", "The header counts " + std::to_string(header.recordCount) +
                              " records, but " + std::to_string(records - 1) +
                              " follow it: the game may stop reading early.");
  }
  out << "Masters:" << (header.masters.empty() ? " none" : "") << "\n";
  for (const PluginMaster& master : header.masters) {
    out << "  " << master.name << ", "
        << (master.size ? std::to_string(*master.size) + " bytes" : "size not given") << "\n";
    std::error_code error;
    std::filesystem::path beside = pluginPath.parent_path() / master.name;
    std::uintmax_t onDisk = std::filesystem::file_size(beside, error);
    if (!error && master.size && onDisk != *master.size) {
      warnings.add("master", "The master " + master.name + " is recorded with " +
                                 std::to_string(*master.size) + " bytes, but " + beside.string() +
                                 " has " + std::to_string(onDisk) +
                                 " bytes: the game warns about a changed master.");
    }
  }
  out << "Records by type:\n";
  for (const auto& [tag, count] : plugin.recordCounts)
    out << "  " << tag << " " << count << "\n";
}

void PrintLand(std::ostream& out, const PluginContents& plugin, Warnings& warnings) {
  std::set<std::pair<std::int32_t, std::int32_t>> exterior;
  for (const PluginCell& cell : plugin.cells) {
    if (!cell.interior())
      exterior.insert({cell.gridX, cell.gridY});
  }
  std::int64_t x0 = LLONG_MAX, y0 = LLONG_MAX, x1 = LLONG_MIN, y1 = LLONG_MIN;
  std::vector<std::pair<std::string, std::uint64_t>> tags;  // in order of first appearance
  std::int64_t lowest = LLONG_MAX, highest = LLONG_MIN;
  int zeroNormals = 0;
  std::array<std::int32_t, kVerticesPerCell> heights;
  for (const PluginLand& land : plugin.lands) {
    x0 = std::min<std::int64_t>(x0, land.gridX);
    y0 = std::min<std::int64_t>(y0, land.gridY);
    x1 = std::max<std::int64_t>(x1, land.gridX);
    y1 = std::max<std::int64_t>(y1, land.gridY);
    auto count = [&](const std::string& tag, std::uint64_t times) {
      auto at =
          std::find_if(tags.begin(), tags.end(), [&](const auto& t) { return t.first == tag; });
      if (at == tags.end())
        tags.emplace_back(tag, times);
      else
        at->second += times;
    };
    for (const std::string& tag : land.subRecords)
      count(tag, 1);
    if (land.unlistedSubRecords != 0)
      count("(more, not listed)", land.unlistedSubRecords);
    if (land.baseHeight && !std::isfinite(*land.baseHeight)) {
      warnings.add("base height", "The LAND record at byte " + std::to_string(land.offset) +
                                      " has a base height (VHGT) that is not a number: the "
                                      "game cannot place that land.");
    } else if (land.baseHeight && land.heightSteps.size() == heights.size()) {
      DecodeCellHeights(*land.baseHeight, land.heightSteps.data(), heights.data());
      auto [low, high] = std::minmax_element(heights.begin(), heights.end());
      lowest = std::min<std::int64_t>(lowest, *low);
      highest = std::max<std::int64_t>(highest, *high);
    }
    zeroNormals += land.hasNormals && land.normalsAllZero;
    if (!exterior.contains({land.gridX, land.gridY})) {
      warnings.add("land", "The LAND record at byte " + std::to_string(land.offset) +
                               " is for cell " + GridText(land.gridX, land.gridY) +
                               ", which has no exterior CELL record: the game ignores it.");
    }
  }
  out << "Exterior cells with land: " << plugin.lands.size();
  if (!plugin.lands.empty())
    out << ", grid X " << x0 << " to " << x1 << ", Y " << y0 << " to " << y1;
  out << "\n";
  out << "Land sub-records:" << (tags.empty() ? " none" : "") << "\n";
  for (const auto& [tag, count] : tags)
    out << "  " << tag << " in " << count << " of " << plugin.lands.size() << "\n";
  if (lowest <= highest) {
    out << "Heights: " << lowest << " to " << highest << " height steps (" << lowest * 8 << " to "
        << highest * 8 << " game units)\n";
  }
  if (zeroNormals > 0) {
    warnings.add("normals", std::to_string(zeroNormals) +
                                " LAND records have normals (VNML) that are all zero: the game "
                                "lights that land with ambient light only.");
  }
}

void PrintReferences(std::ostream& out, const PluginContents& plugin, Warnings& warnings) {
  std::map<std::string, int> byId;
  int total = 0, cellsWithReferences = 0;
  for (const PluginCell& cell : plugin.cells) {
    cellsWithReferences += !cell.references.empty();
    for (const PluginReference& reference : cell.references) {
      ++byId[reference.id];
      ++total;
      if (cell.interior() || !reference.placement)
        continue;
      const double x = (*reference.placement)[0], y = (*reference.placement)[1];
      const double cellX = std::floor(x / kUnitsPerCell), cellY = std::floor(y / kUnitsPerCell);
      if (cellX != cell.gridX || cellY != cell.gridY) {
        warnings.add("reference",
                     "Reference " + std::to_string(reference.number) + " (" + reference.id +
                         ") of cell " + GridText(cell.gridX, cell.gridY) + ", at byte " +
                         std::to_string(reference.offset) + ", stands at X " + std::to_string(x) +
                         ", Y " + std::to_string(y) + ", outside its cell.");
      }
    }
  }
  // The game does not tell IDs apart by case: a second static of one ID
  // replaces the first.
  std::map<std::string, const PluginStatic*> statics;
  for (const PluginStatic& found : plugin.statics) {
    std::string key = found.id;
    std::transform(key.begin(), key.end(), key.begin(), [](unsigned char c) {
      return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    });
    auto [first, added] = statics.emplace(key, &found);
    if (!added) {
      warnings.add("static", "The STAT records at bytes " + std::to_string(first->second->offset) +
                                 " and " + std::to_string(found.offset) + " have the same ID (\"" +
                                 first->second->id + "\" and \"" + found.id +
                                 "\"; the game does not tell case apart): one replaces the other.");
    }
  }
  out << "References: " << total << " in " << cellsWithReferences << " cells\n";
  for (const auto& [id, count] : byId)
    out << "  " << id << " " << count << "\n";
}

}  // namespace

std::string InspectReport(const PluginContents& plugin, const std::filesystem::path& pluginPath) {
  std::ostringstream out;
  Warnings warnings;
  PrintHeader(out, plugin, pluginPath, warnings);
  PrintLand(out, plugin, warnings);
  PrintReferences(out, plugin, warnings);
  warnings.print(out);
  return out.str();
}

int RunInspect(const CliOptions& options, const Console& console) {
  const std::filesystem::path plugin =
      (options.directory / options.inspect->plugin).lexically_normal();
  const std::filesystem::path image =
      (options.directory / options.inspect->image).lexically_normal();
  try {
    if (!options.inspect->image.empty()) {
      OutputCheck files;
      files.AddInput("plugin", plugin);
      files.AddReplacedOutput("picture (--image)", image);
      files.Check();
    }
    PluginContents contents = ReadPluginFile(plugin);
    console.out << InspectReport(contents, plugin);
    if (!options.inspect->image.empty()) {
      WritePngFile(DrawPluginPicture(contents, options.previewScale), image, "picture (--image)");
      console.out << "Wrote the picture of the land to " << image.string() << ".\n";
    }
  } catch (const RunError& error) {
    console.out << std::flush;
    console.err << kCommandName << ": " << error.what() << "\n";
    return kRunFailed;
  }
  return kSuccess;
}

}  // namespace brackwyn::cli
