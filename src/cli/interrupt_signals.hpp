// Ctrl-C (SIGINT), SIGTERM and SIGHUP during a run act as closing the window:
// the handler only records the signal, and the runner's event processing
// turns it into a close request at the next yield, so the run unwinds and
// cleans up. A second signal ends the process at once, for a run that does
// not reach a yield, deleting the work files first (core/platform.hpp,
// pipeline/work_files.hpp).
#pragma once

#include "core/platform.hpp"

namespace brackwyn::cli {

// Also ignores SIGPIPE, so that output to a closed pipe cannot end a run.
void InstallInterruptHandlers();

// The first signal received, or 0. Cheap enough to ask on every yield.
inline int ReceivedSignal() {
  return platform::StopSignal();
}

// 129 for SIGHUP, 130 for SIGINT, 143 for SIGTERM: the shell's convention.
inline int InterruptedExitStatus(int signal) {
  return 128 + signal;
}

}  // namespace brackwyn::cli
