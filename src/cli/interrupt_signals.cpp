#include "cli/interrupt_signals.hpp"

#include <signal.h>

namespace brackwyn::cli {

namespace detail {
volatile std::sig_atomic_t receivedSignal = 0;
}

namespace {

void OnInterrupt(int signal) {
  if (detail::receivedSignal != 0) {
    // Asked twice: stop waiting for the run to notice.
    ::signal(signal, SIG_DFL);
    ::raise(signal);
    return;
  }
  detail::receivedSignal = signal;
}

}  // namespace

void InstallInterruptHandlers() {
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;  // a blocked write just goes on; the run checks at its next yield
  ::sigaction(SIGINT, &action, nullptr);
  ::sigaction(SIGTERM, &action, nullptr);
  // Output to a reader that went away (`brackwyn-cli | head`) must not kill a
  // run half way, leaving its partial files behind; the run finishes instead.
  ::signal(SIGPIPE, SIG_IGN);
}

}  // namespace brackwyn::cli
