#include "cli/cli_options.hpp"

#include <CLI/CLI.hpp>

#include <string>
#include <vector>

#include "cli/nearest_name.hpp"
#include "cli/usage_error.hpp"
#include "core/units.hpp"
#include "core/utf8_path.hpp"
#include "model/control_table.hpp"

namespace brackwyn::cli {
namespace {

constexpr std::string_view kDescription =
    "Turns three 3328 x 3328 height bitmaps into a Morrowind plugin. Runs the whole pipeline in "
    "the working folder on the default settings of the Brackwyn window, changed by --load and "
    "--set.";

constexpr std::string_view kFooter =
    R"(Settings are named by their control names; --list shows them all.
The steps run in this order: --load, the --set changes in the order given,
--save, then --list or the run. Every invocation runs the pipeline and writes
the plugin (txtESP) unless --list or --no-run is given, so
  brackwyn-cli --set txtESP=Island.esp --save            saves, then runs
  brackwyn-cli --set txtESP=Island.esp --save --no-run   only saves

While it runs, the progress shows on one line on a terminal, or as plain lines
(at most one a second) otherwise. At the end it prints the completion message,
the stage times, a summary of the vertex height clipping report (the whole
report is written to clipping-report.txt in the working folder) and the
objects placed, and with --preview it writes the preview picture. Ctrl-C,
SIGTERM or SIGHUP abandons the run: the previous plugin is left as it was and
the work files are deleted; a second Ctrl-C ends at once, deleting the work
files first. Once the new plugin is in place the run counts as finished. One
run at a time per working folder: a run holds a lock on Brackwyn.lock there,
and a second run refuses at once.

  brackwyn-cli inspect PLUGIN.esp [--image FILE.png]
reads any Morrowind plugin instead of running: it prints the header, the
record counts, the cells with land, the references per object ID and
warnings, and with --image draws the plugin's land as --preview does.

Exit status: 0 success, 1 the run, --load, --save, the preview or inspect
failed, 2 usage error, 129 hung up (SIGHUP), 130 interrupted (SIGINT),
143 terminated (SIGTERM).)";

constexpr std::size_t kHelpWidth = 80;
constexpr std::size_t kOptionColumn = 22;

// CLI11 indents the lines of a description but does not wrap them.
std::string Wrap(std::string_view text, std::size_t width = kHelpWidth - kOptionColumn) {
  std::string wrapped;
  std::size_t lineLength = 0;
  while (!text.empty()) {
    std::size_t end = text.find(' ');
    std::string_view word = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    if (lineLength > 0 && lineLength + 1 + word.size() > width) {
      wrapped += '\n';
      lineLength = 0;
    } else if (lineLength > 0) {
      wrapped += ' ';
      ++lineLength;
    }
    wrapped += word;
    lineLength += word.size();
  }
  return wrapped;
}

void AddPreviewScale(CLI::App& app, int& scale) {
  app.add_option("--preview-scale", scale,
                 Wrap("Vertices a pixel of the picture: 2 (the default) draws the world 1664 "
                      "pixels wide, 1 at full resolution; 1, 2, 4 or 8."))
      ->type_name("N")
      ->check(CLI::IsMember({1, 2, 4, 8}));
}

void DefineInspect(CLI::App& app, InspectOptions& inspect, std::string& plugin, std::string& image,
                   int& scale) {
  CLI::App* command =
      app.add_subcommand("inspect", "Describe PLUGIN instead of running (see below).");
  command->add_option("plugin", plugin, "The plugin to read.")->required()->type_name("PLUGIN");
  command
      ->add_option("--image", image,
                   Wrap("Also draw the plugin's land, over the cells that have land, as a "
                        "PNG picture."))
      ->type_name("FILE");
  AddPreviewScale(*command, scale);
  command->final_callback([&inspect, &plugin, &image] {
    inspect.plugin = plugin;
    inspect.image = image;
  });
}

void DefineOptions(CLI::App& app, CliOptions& options, std::vector<std::string>& assignments,
                   std::string& directory) {
  std::string version = std::string(kProgramName) + " " + kVersionText;
  app.set_help_flag("-h,--help", Wrap("Print this help and exit."));
  app.set_version_flag("--version", version, Wrap("Print the version (" + version + ") and exit."));
  app.add_option("-C,--directory", directory,
                 Wrap("Work in DIR instead of the current folder: the bitmaps, master, plugin, "
                      "Parameters.ini, work files and clipping report are all there."))
      ->type_name("DIR");
  app.add_flag("--load", options.load,
               Wrap("First apply Parameters.ini from the working folder, as \"Load Parameters\" "
                    "does. A missing file is created empty; settings it cannot supply keep their "
                    "values, with a warning."));
  app.add_option("--set", assignments,
                 Wrap("Change one setting by its control name, e.g. --set txtScaleMountain=6000. "
                      "Repeatable. Check boxes take 0 (unchecked), 1 (checked) or 2 (grayed); "
                      "the six fixed boxes cannot be changed."))
      ->type_name("NAME=VALUE")
      ->allow_extra_args(false);
  app.add_flag("--save", options.save,
               Wrap("Write the settings, after the --set changes, to Parameters.ini in the "
                    "working folder, as \"Save Parameters\" does. Then runs, unless --no-run or "
                    "--list."));
  app.add_flag("--no-run", options.noRun,
               Wrap("Do not run the pipeline: only --load, --set and --save."));
  app.add_flag("--list", options.list,
               Wrap("Print every setting with its label, current value, default and tool-tip "
                    "(after --load and --set), and do not run."));
  app.add_flag("--timings", options.timings,
               Wrap("After the run, print each stage's duration in milliseconds."));
  app.add_option("--preview", options.preview,
                 Wrap("After the run, write the preview picture of the world (land, clipped "
                      "vertices, objects) to FILE, a PNG."))
      ->type_name("FILE");
  AddPreviewScale(app, options.previewScale);
  app.allow_extras();  // reported by us, with a suggestion
  app.description(Wrap(kDescription, kHelpWidth - 2));
  app.footer(std::string(kFooter));
  app.get_formatter()->column_width(kOptionColumn);
}

// Every spelling of every option, as CLI11 knows them: "-C", "--directory", ...
std::vector<std::string> OptionSpellings() {
  CLI::App app;
  CliOptions options;
  std::vector<std::string> assignments;
  std::string directory;
  DefineOptions(app, options, assignments, directory);
  std::vector<std::string> spellings;
  for (const CLI::Option* option : app.get_options()) {
    for (const std::string& name : option->get_snames())
      spellings.push_back("-" + name);
    for (const std::string& name : option->get_lnames())
      spellings.push_back("--" + name);
  }
  return spellings;
}

std::filesystem::path CheckDirectory(const std::string& directory) {
  std::filesystem::path folder = PathFromUtf8(directory);
  std::error_code error;
  if (!std::filesystem::is_directory(folder, error)) {
    throw UsageError("-C " + directory + ": there is no folder \"" + directory + "\".");
  }
  return folder;
}

}  // namespace

std::string SuggestForUnknownArgument(std::string_view argument) {
  std::string_view word = argument.substr(0, argument.find('='));
  std::string_view value = word.size() < argument.size() ? argument.substr(word.size() + 1) : "";
  std::string_view name = word.substr(std::min(word.find_first_not_of('-'), word.size()));

  std::vector<std::string_view> settings;
  for (const ControlSpec& control : ControlTable()) {
    if (IsSetting(control))
      settings.push_back(control.name);
  }
  NearestName setting = FindNearestName(name, settings);
  static const std::vector<std::string> spellings = OptionSpellings();
  std::vector<std::string_view> options(spellings.begin(), spellings.end());
  NearestName option = FindNearestName(word, options);
  bool looksLikeAssignment = !word.starts_with('-') && word.size() < argument.size();
  if (looksLikeAssignment || setting.distance < option.distance) {
    return "did you mean \"--set " + std::string(setting.name) + "=" +
           std::string(value.empty() ? "VALUE" : value) + "\"?";
  }
  return "did you mean \"" + std::string(option.name) + "\"?";
}

std::optional<CliOptions> ParseCommandLine(int argc, const char* const* argv, std::ostream& out) {
  CLI::App app("", kCommandName);
  CliOptions options;
  std::vector<std::string> assignments;
  std::string directory = ".";
  DefineOptions(app, options, assignments, directory);
  InspectOptions inspect;
  std::string inspectPlugin, inspectImage;
  DefineInspect(app, inspect, inspectPlugin, inspectImage, options.previewScale);
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    out << app.help();
    return std::nullopt;
  } catch (const CLI::CallForVersion& version) {
    out << version.what() << "\n";
    return std::nullopt;
  } catch (const CLI::ParseError& error) {
    throw UsageError(error.what());
  }
  if (std::vector<std::string> extras = app.remaining(); !extras.empty()) {
    const std::string& word = extras.front();
    std::string kind = word.starts_with('-') ? "unknown option" : "unexpected argument";
    throw UsageError(kind + " \"" + word + "\"; " + SuggestForUnknownArgument(word));
  }
  options.directory = CheckDirectory(directory);
  if (app.got_subcommand("inspect"))
    options.inspect = inspect;
  for (const std::string& assignment : assignments)
    options.changes.push_back(ParseSettingChange(assignment));
  return options;
}

}  // namespace brackwyn::cli
