// `brackwyn-cli inspect`: what a plugin holds, in a modder's words, and with
// --image a picture of its land.
#pragma once

#include <filesystem>
#include <string>

#include "cli/cli_options.hpp"
#include "cli/runner.hpp"
#include "plugin/plugin_reader.hpp"

namespace brackwyn::cli {

// The report: header, record counts, cells with land, land sub-records,
// height range, references per object ID and warnings. `pluginPath` locates
// the masters, which are looked for beside the plugin.
std::string InspectReport(const PluginContents& plugin, const std::filesystem::path& pluginPath);

// Reads the plugin (relative to the working folder), prints the report and
// writes the picture; returns the exit status.
int RunInspect(const CliOptions& options, const Console& console);

}  // namespace brackwyn::cli
