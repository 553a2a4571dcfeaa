// The runner's command line, read with CLI11.
#pragma once

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "cli/setting_changes.hpp"

namespace brackwyn::cli {

inline constexpr char kCommandName[] = "brackwyn-cli";

// `brackwyn-cli inspect PLUGIN [--image FILE]`: reads a plugin instead of running.
struct InspectOptions {
  std::filesystem::path plugin;
  std::filesystem::path image;  // empty: no picture
};

// `brackwyn-cli export PLUGIN... --heightmap FILE [--origin X,Y] [--save]`:
// writes the plugins' land as a heightmap instead of running.
struct ExportOptions {
  std::vector<std::filesystem::path> plugins;  // in load order
  std::filesystem::path heightmap;
  std::optional<std::pair<int, int>> origin;  // bottom-left cell; none: where the land starts
  bool save = false;
};

struct CliOptions {
  std::filesystem::path directory = ".";
  bool load = false;
  bool save = false;
  bool list = false;
  bool noRun = false;
  bool timings = false;
  std::vector<SettingChange> changes;  // in command-line order
  std::filesystem::path preview;       // empty: no preview picture
  int previewScale = 2;
  std::optional<InspectOptions> inspect;
  std::optional<ExportOptions> exportHeightmap;

  bool runs() const { return !list && !noRun && !inspect && !exportHeightmap; }
};

// nullopt when the command line asked for --help or --version, which have
// then been printed to `out`. Throws UsageError for anything it cannot act
// on, naming the word and suggesting what was probably meant.
std::optional<CliOptions> ParseCommandLine(int argc, const char* const* argv, std::ostream& out);

// "did you mean \"--load\"?" for "--lod"; `--set NAME=...` when the word
// looks like a setting's control name.
std::string SuggestForUnknownArgument(std::string_view argument);

}  // namespace brackwyn::cli
