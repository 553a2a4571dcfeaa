// The window against what else happens on the machine: a decimal-comma
// locale, another run in its folder, and stop signals.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <clocale>
#include <fstream>
#include <sstream>
#include <thread>

#include "core/folder_lock.hpp"
#include "core/number_text.hpp"
#include "gui_test_support.hpp"
#include "model/setting_number.hpp"
#include "objects/object_index.hpp"
#include "pipeline/work_files.hpp"
#include "support/test_support.hpp"

namespace brackwyn::gui {
namespace {

namespace fs = std::filesystem;

void SeedWorkFiles(const fs::path& folder) {
  for (std::string_view name : kWorkFileNames)
    std::ofstream(folder / name) << "work";
}

bool AnyWorkFile(const fs::path& folder) {
  for (std::string_view name : kWorkFileNames) {
    if (fs::exists(folder / name))
      return true;
  }
  return false;
}

// The toolkit sets the C library's locale from the environment, so a German
// desktop reads numbers with strtod as "0,5".
TEST(WindowLocale, FractionsReadTheSameUnderADecimalCommaLocale) {
  std::string previous = std::setlocale(LC_ALL, nullptr);
  if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr)
    GTEST_SKIP() << "no de_DE.UTF-8 locale here (Debian: locales-all)";
  ASSERT_STREQ(std::localeconv()->decimal_point, ",");
  brackwyn::testing::ScratchFolder folder;
  testing::TestWindow test(folder.path());
  test.window.model().setText("txtObjectDivisor", "0.5");
  test.window.model().setText("txtScaleInterior", "-12.75");
  EXPECT_EQ(SettingNumber(test.window.model(), "txtObjectDivisor"), 0.5);
  EXPECT_EQ(SettingNumber(test.window.model(), "txtScaleInterior"), -12.75);
  EXPECT_FALSE(ParseDecimal("0,5"));
  EXPECT_EQ(ObjectIndexNumber(" 3.5"), 4);
  std::setlocale(LC_ALL, previous.c_str());
}

TEST(WindowFolderLock, RunsOnlyWhenNoOtherRunUsesTheFolderAndDeletesOnlyItsOwnWorkFiles) {
  brackwyn::testing::ScratchFolder folder;
  SeedWorkFiles(folder.path());
  std::optional<FolderLock> other = FolderLock::TryTake(folder.path());
  ASSERT_TRUE(other);
  {
    testing::TestWindow test(folder.path());
    bool ran = false;
    test.window.setRunner([&](RunContext&) {
      ran = true;
      return RunResult{};
    });
    test.window.startRun();
    EXPECT_FALSE(ran);
    ASSERT_EQ(test.presenter.messages.size(), 1u);
    EXPECT_NE(test.presenter.messages[0].text.find("Another run is using the folder"),
              std::string::npos);
    test.window.close();
    EXPECT_TRUE(AnyWorkFile(folder.path())) << "the other run's work files went";

    other.reset();
    test.window.startRun();
    EXPECT_TRUE(ran);
    test.window.show();
    test.window.close();
    EXPECT_FALSE(AnyWorkFile(folder.path()));
  }
}

// The window program ended by a signal deletes the work files, as when it is
// closed, and reports the signal in its exit status.
class WindowSignal : public ::testing::TestWithParam<int> {};

bool HandlerInstalled(pid_t pid, int signal) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.starts_with("SigCgt:")) {
      unsigned long long mask = std::stoull(line.substr(7), nullptr, 16);
      return (mask >> (signal - 1)) & 1;
    }
  }
  return false;
}

TEST_P(WindowSignal, DeletesTheWorkFilesAndExitsWithTheSignal) {
  brackwyn::testing::ScratchFolder folder;
  SeedWorkFiles(folder.path());
  pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::execl(BRACKWYN_GUI_PATH, BRACKWYN_GUI_PATH, "-C", folder.path().c_str(),
            static_cast<char*>(nullptr));
    ::_exit(127);
  }
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!HandlerInstalled(pid, GetParam()) && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  ASSERT_EQ(::kill(pid, GetParam()), 0);
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 128 + GetParam());
  EXPECT_FALSE(AnyWorkFile(folder.path()));
}

INSTANTIATE_TEST_SUITE_P(Signals, WindowSignal, ::testing::Values(SIGTERM, SIGINT, SIGHUP),
                         [](const auto& info) { return std::string(sigabbrev_np(info.param)); });

}  // namespace
}  // namespace brackwyn::gui
