// Ctrl-C (SIGINT) and SIGTERM during a run act as closing the window: the
// handler only records the signal, and the runner's event processing turns
// it into a close request at the next yield, so the run unwinds and cleans
// up. A second signal ends the process at once, for a run that does not
// reach a yield.
#pragma once

#include <csignal>

namespace brackwyn::cli {

namespace detail {
extern volatile std::sig_atomic_t receivedSignal;
}

// Also ignores SIGPIPE, so that output to a closed pipe cannot end a run.
void InstallInterruptHandlers();

// The first signal received, or 0. Cheap enough to ask on every yield.
inline int ReceivedSignal() {
  return detail::receivedSignal;
}

// 130 for SIGINT, 143 for SIGTERM: the shell's convention.
inline int InterruptedExitStatus(int signal) {
  return 128 + signal;
}

}  // namespace brackwyn::cli
