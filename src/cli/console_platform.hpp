// What the runner asks of the system about its console and command line.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace brackwyn::cli {

bool StandardOutputIsTerminal();

// Columns of the terminal standard output writes to; 80 when unknown.
std::size_t TerminalColumns();

// The command line, program name first, as UTF-8 whatever the system's code
// page, so that folder and file names in any script reach the run intact.
// Also makes the console show the UTF-8 the runner writes.
std::vector<std::string> Utf8CommandLine(int argc, char** argv);

}  // namespace brackwyn::cli
