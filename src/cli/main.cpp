// brackwyn-cli: the pipeline from the command line, for batch and scripted use.
#include <sys/ioctl.h>
#include <unistd.h>

#include <exception>
#include <iostream>

#include "cli/cli_options.hpp"
#include "cli/interrupt_signals.hpp"
#include "cli/runner.hpp"
#include "cli/usage_error.hpp"

namespace {

using brackwyn::cli::TerminalProgress;

std::size_t TerminalWidth() {
  winsize size{};
  if (::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
    return size.ws_col;
  return 80;
}

}  // namespace

int main(int argc, char** argv) {
  namespace cli = brackwyn::cli;
  cli::InstallInterruptHandlers();
  try {
    std::optional<cli::CliOptions> options = cli::ParseCommandLine(argc, argv, std::cout);
    if (!options)
      return cli::kSuccess;
    bool terminal = ::isatty(STDOUT_FILENO) == 1;
    cli::Console console{
        std::cout, std::cerr,
        terminal ? TerminalProgress::Style::InPlace : TerminalProgress::Style::Lines,
        TerminalWidth()};
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
