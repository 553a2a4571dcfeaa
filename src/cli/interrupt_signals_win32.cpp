// The Windows form of the runner's interrupt handling. Windows has no signals
// for these: the console calls a handler on a thread of its own. Ctrl-C and
// Ctrl-Break count as SIGINT, closing the console window, logging off and
// shutting down as SIGTERM, so that exit statuses match the other systems.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <csignal>

#include "cli/interrupt_signals.hpp"

namespace brackwyn::cli {

namespace detail {
volatile std::sig_atomic_t receivedSignal = 0;
}

namespace {

BOOL WINAPI OnConsoleEvent(DWORD event) {
  const bool closing =
      event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT;
  if (!closing && event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
    return FALSE;
  if (detail::receivedSignal != 0 && !closing)
    return FALSE;  // asked twice: the default handler ends the process at once
  if (detail::receivedSignal == 0)
    detail::receivedSignal = closing ? SIGTERM : SIGINT;
  if (closing) {
    // Windows ends the process as soon as this returns (or after a few
    // seconds): wait here, so the run can unwind, remove its partial plugin
    // and work files and leave through main.
    ::Sleep(INFINITE);
  }
  return TRUE;
}

}  // namespace

void InstallInterruptHandlers() {
  ::SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

}  // namespace brackwyn::cli
