#include "cli/export_command.hpp"

#include <string>
#include <vector>

#include "core/output_check.hpp"
#include "core/run_error.hpp"
#include "core/utf8_path.hpp"
#include "elevation/heightmap_file.hpp"
#include "model/control_names.hpp"
#include "model/parameter_file.hpp"
#include "pipeline/heightmap_export.hpp"
#include "plugin/plugin_reader.hpp"

namespace brackwyn::cli {
namespace {

// The six settings that rebuild the exported land at its place.
std::vector<std::pair<std::string_view, std::string>> RebuildSettings(
    const ExportOptions& options, const HeightmapExport& exported) {
  return {{control::chkHeightmap, "1"},
          {control::txtHeightmap, Utf8FromPath(options.heightmap)},
          {control::txtHeightmapLow, std::to_string(exported.low)},
          {control::txtHeightmapHigh, std::to_string(exported.high)},
          {control::txtWorldX, std::to_string(exported.origin.x)},
          {control::txtWorldY, std::to_string(exported.origin.y)}};
}

void SaveRebuildSettings(const std::filesystem::path& folder,
                         const std::vector<std::pair<std::string_view, std::string>>& settings,
                         const Console& console) {
  WindowModel window;
  const std::filesystem::path file = folder / kParameterFileName;
  ParameterLoadReport report = LoadParameters(window, file);
  // A file just created empty keeps every default: nothing to warn about.
  for (const std::string& kept : report.keptSettings) {
    if (!report.createdEmptyFile)
      console.err << kCommandName << ": warning: " << kParameterFileName << ": " << kept << "\n";
  }
  for (const auto& [name, value] : settings) {
    if (FindControl(name)->kind == ControlKind::CheckBox)
      window.setState(name, 1);
    else
      window.setText(name, value);
  }
  SaveParameters(window, file);
  console.out << "Saved the six settings to " << Utf8FromPath(file.lexically_normal()) << ".\n";
}

std::string Cell(int x, int y) {
  std::string text = "(";
  text += std::to_string(x);
  text += ", ";
  text += std::to_string(y);
  text += ")";
  return text;
}

}  // namespace

int RunExport(const CliOptions& options, const Console& console) {
  const ExportOptions& request = *options.exportHeightmap;
  const std::filesystem::path output = (options.directory / request.heightmap).lexically_normal();
  try {
    std::vector<std::filesystem::path> inputs;
    OutputCheck files;
    for (const std::filesystem::path& plugin : request.plugins) {
      inputs.push_back((options.directory / plugin).lexically_normal());
      files.AddInput("plugin", inputs.back());
    }
    files.AddReplacedOutput("heightmap (--heightmap)", output);
    // The modder's settings are never a heightmap's name, saved to or not.
    if (request.save)
      files.AddReplacedOutput("parameter file (--save)", options.directory / kParameterFileName);
    else
      files.AddInput("parameter file", options.directory / kParameterFileName);
    files.Check();
    std::vector<PluginContents> plugins;
    for (const std::filesystem::path& input : inputs)
      plugins.push_back(ReadPluginFile(input));
    std::optional<CellCoordinates> origin;
    if (request.origin)
      origin = CellCoordinates{request.origin->first, request.origin->second};
    HeightmapExport exported = ExportHeightmap(plugins, origin);
    WriteHeightmap(exported.samples, output, "heightmap (--heightmap)");

    const CellCoordinates& o = exported.origin;
    console.out << "Wrote cells " << Cell(o.x, o.y) << " to "
                << Cell(o.x + kCellsPerSide - 1, o.y + kCellsPerSide - 1) << " to "
                << Utf8FromPath(output) << ": heights " << exported.low << " to " << exported.high
                << " world units.\n";
    if (exported.cellsOutside > 0) {
      console.err << kCommandName << ": warning: " << exported.cellsOutside
                  << " cells with land lie outside the region and were left out; choose the "
                     "region's bottom-left cell with --origin X,Y.\n";
    }
    if (o.x < kWorldCellMin || o.x > kWorldCellMax || o.y < kWorldCellMin || o.y > kWorldCellMax) {
      console.err << kCommandName << ": warning: the region's bottom-left cell " << Cell(o.x, o.y)
                  << " lies outside the cells " << kWorldCellMin << " to " << kWorldCellMax
                  << " where a run can place land; choose another with --origin X,Y.\n";
    }
    if (exported.roundedHeights > 0) {
      console.err << kCommandName << ": warning: " << exported.roundedHeights
                  << " heights were not a multiple of 8 world units and were rounded to the "
                     "nearest.\n";
    }
    auto settings = RebuildSettings(request, exported);
    console.out << "To rebuild this land at the same place, run with\n ";
    for (const auto& [name, value] : settings)
      console.out << " --set " << name << "=" << value;
    console.out << "\n";
    if (request.save)
      SaveRebuildSettings(options.directory, settings, console);
  } catch (const RunError& error) {
    console.out << std::flush;
    console.err << kCommandName << ": " << error.what() << "\n";
    return kRunFailed;
  }
  return kSuccess;
}

}  // namespace brackwyn::cli
