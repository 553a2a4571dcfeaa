// The one error type of a run: a message a modder can act on, naming the
// setting or file and what is wrong with it. Front ends decide how to show it.
#pragma once

#include <stdexcept>
#include <string>

namespace brackwyn {

class RunError : public std::runtime_error {
 public:
  explicit RunError(const std::string& message) : std::runtime_error(message) {}
};

// Thrown out of YieldToUI when the user closed the window (or interrupted the
// runner) during a run; unwinding removes partial output on the way out.
class RunAbandoned {};

}  // namespace brackwyn
