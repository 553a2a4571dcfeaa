// `brackwyn-cli export`: the land of plugins as a heightmap, and the settings
// that rebuild it.
#pragma once

#include "cli/cli_options.hpp"
#include "cli/runner.hpp"

namespace brackwyn::cli {

// Reads the plugins (relative to the working folder), writes the heightmap,
// prints the region, warnings and the --set options, and with --save sets
// them in Parameters.ini; returns the exit status.
int RunExport(const CliOptions& options, const Console& console);

}  // namespace brackwyn::cli
