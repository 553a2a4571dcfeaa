#include <sys/ioctl.h>
#include <unistd.h>

#include "cli/console_platform.hpp"

namespace brackwyn::cli {

bool StandardOutputIsTerminal() {
  return ::isatty(STDOUT_FILENO) == 1;
}

std::size_t TerminalColumns() {
  winsize size{};
  if (::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
    return size.ws_col;
  return 80;
}

// Arguments are bytes here, and UTF-8 by convention.
std::vector<std::string> Utf8CommandLine(int argc, char** argv) {
  return {argv, argv + argc};
}

}  // namespace brackwyn::cli
