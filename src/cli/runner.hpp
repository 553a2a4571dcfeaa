// The runner's steps after the command line is read: --load, --set, --save,
// --list, the run itself and what it prints at the end.
#pragma once

#include <cstddef>
#include <ostream>

#include "cli/cli_options.hpp"
#include "cli/terminal_progress.hpp"

namespace brackwyn::cli {

enum ExitStatus { kSuccess = 0, kRunFailed = 1, kUsageError = 2 };

struct Console {
  std::ostream& out;
  std::ostream& err;
  TerminalProgress::Style progressStyle;
  std::size_t width;
};

// Returns the exit status: kSuccess, kRunFailed, or 128 + the signal that
// interrupted the run.
int RunCommandLine(const CliOptions& options, const Console& console);

}  // namespace brackwyn::cli
