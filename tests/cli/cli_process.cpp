#include "cli_process.hpp"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "support/test_support.hpp"

extern char** environ;

namespace brackwyn::testing {
namespace {

int DecodeStatus(int status) {
  if (WIFEXITED(status))
    return WEXITSTATUS(status);
  if (WIFSIGNALED(status))
    return 128 + WTERMSIG(status);
  return -1;
}

std::string ReadText(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

pid_t Spawn(const std::vector<std::string>& arguments,
            const std::filesystem::path& workingDirectory, int stdoutFd,
            const std::filesystem::path& stdoutFile, const std::filesystem::path& stderrFile) {
  std::vector<std::string> words = {BRACKWYN_CLI_PATH};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words)
    argv.push_back(word.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addchdir_np(&actions, workingDirectory.c_str());
  if (stdoutFd >= 0) {
    posix_spawn_file_actions_adddup2(&actions, stdoutFd, STDOUT_FILENO);
  } else {
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, stdoutFile.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
  }
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, stderrFile.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t pid = -1;
  int error = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0)
    throw std::runtime_error("cannot start " + words[0]);
  return pid;
}

int WaitFor(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR)
      throw std::runtime_error("waitpid failed");
  }
  return DecodeStatus(status);
}

}  // namespace

CliOutcome RunCli(const std::vector<std::string>& arguments,
                  const std::filesystem::path& workingDirectory) {
  ScratchFolder output;
  pid_t pid = Spawn(arguments, workingDirectory, -1, output / "out", output / "err");
  CliOutcome outcome;
  outcome.status = WaitFor(pid);
  outcome.out = ReadText(output / "out");
  outcome.err = ReadText(output / "err");
  return outcome;
}

RunningCli::RunningCli(const std::vector<std::string>& arguments,
                       const std::filesystem::path& workingDirectory, int stdoutFd,
                       const std::filesystem::path& stderrFile)
    : pid_(Spawn(arguments, workingDirectory, stdoutFd, {}, stderrFile)) {}

RunningCli::~RunningCli() {
  if (status_ < 0) {
    ::kill(pid_, SIGKILL);
    WaitFor(pid_);
  }
}

bool RunningCli::blockedWritingStdout() const {
  // The first field is the number of the system call the process sleeps in,
  // the second its first argument.
  std::ifstream syscall("/proc/" + std::to_string(pid_) + "/syscall");
  std::string number, fd;
  syscall >> number >> fd;
  return number == std::to_string(SYS_write) && fd == "0x1";
}

bool RunningCli::exited() {
  if (status_ >= 0)
    return true;
  int status = 0;
  if (::waitpid(pid_, &status, WNOHANG) != pid_)
    return false;
  status_ = DecodeStatus(status);
  return true;
}

int RunningCli::wait() {
  if (status_ < 0)
    status_ = WaitFor(pid_);
  return status_;
}

}  // namespace brackwyn::testing
