// brackwyn-cli: the pipeline from the command line, for batch and scripted use.
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "cli/cli_options.hpp"
#include "cli/console_platform.hpp"
#include "cli/interrupt_signals.hpp"
#include "cli/runner.hpp"
#include "cli/usage_error.hpp"

int main(int argc, char** argv) {
  namespace cli = brackwyn::cli;
  using cli::TerminalProgress;
  cli::InstallInterruptHandlers();
  try {
    std::vector<std::string> words = cli::Utf8CommandLine(argc, argv);
    std::vector<const char*> pointers;
    for (const std::string& word : words)
      pointers.push_back(word.c_str());
    std::optional<cli::CliOptions> options =
        cli::ParseCommandLine(static_cast<int>(pointers.size()), pointers.data(), std::cout);
    if (!options)
      return cli::kSuccess;
    cli::Console console{std::cout, std::cerr,
                         cli::StandardOutputIsTerminal() ? TerminalProgress::Style::InPlace
                                                         : TerminalProgress::Style::Lines,
                         cli::TerminalColumns()};
    return cli::RunCommandLine(*options, console);
  } catch (const cli::UsageError& error) {
    std::cerr << cli::kCommandName << ": " << error.what() << "\n"
              << "Run '" << cli::kCommandName << " --help' to see the options.\n";
    return cli::kUsageError;
  } catch (const std::exception& error) {
    std::cerr << cli::kCommandName << ": " << error.what() << "\n";
    return cli::kRunFailed;
  }
}
