// A command line the runner cannot act on: an unknown option or setting, a
// value a check box cannot take. The runner prints it and exits with status 2.
#pragma once

#include <stdexcept>
#include <string>

namespace brackwyn::cli {

class UsageError : public std::runtime_error {
 public:
  explicit UsageError(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace brackwyn::cli
