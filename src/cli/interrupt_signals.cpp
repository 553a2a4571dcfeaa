#include "cli/interrupt_signals.hpp"

namespace brackwyn::cli {

void InstallInterruptHandlers() {
  platform::InstallStopHandlers();
}

}  // namespace brackwyn::cli
