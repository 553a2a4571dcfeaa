// Starts the built brackwyn-cli as a user's shell would, with its output
// captured, for the end-to-end tests.
#pragma once

#ifndef _WIN32
#include <sys/types.h>
#endif

#include <filesystem>
#include <string>
#include <vector>

namespace brackwyn::testing {

struct CliOutcome {
  int status = -1;  // the exit status, or 128 + the signal that killed it
  std::string out;
  std::string err;
};

// Runs to the end in `workingDirectory`.
CliOutcome RunCli(const std::vector<std::string>& arguments,
                  const std::filesystem::path& workingDirectory);

#ifndef _WIN32
// A runner whose standard output is a pipe the test controls. POSIX only: it
// watches the process through /proc and interrupts it with signals.
class RunningCli {
 public:
  RunningCli(const std::vector<std::string>& arguments,
             const std::filesystem::path& workingDirectory, int stdoutFd,
             const std::filesystem::path& stderrFile);
  ~RunningCli();
  RunningCli(const RunningCli&) = delete;
  RunningCli& operator=(const RunningCli&) = delete;

  pid_t pid() const { return pid_; }
  // True while the process sits in a write to its standard output, i.e. it
  // is blocked on a full pipe. False once it has exited.
  bool blockedWritingStdout() const;
  bool exited();
  int wait();  // the exit status as in CliOutcome

 private:
  pid_t pid_ = -1;
  int status_ = -1;
};
#endif

}  // namespace brackwyn::testing
