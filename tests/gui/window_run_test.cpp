// Whole runs on the example world, started with the button as a user would.
#include <gtest/gtest.h>

#include <fstream>

#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include "gui/main_window.hpp"
#include "gui_test_support.hpp"
#include "pipeline/pipeline.hpp"
#include "pipeline/work_files.hpp"
#include "support/test_support.hpp"

namespace brackwyn::gui {
namespace {

using brackwyn::testing::ReadBytes;
using brackwyn::testing::ScratchFolder;
using testing::LinkExampleWorld;
using testing::TestWindow;

// The same run without a window, as the command-line runner does it.
RunResult RunHeadless(const std::filesystem::path& folder) {
  WindowModel window;
  ProgressReporter progress(window);
  auto state = std::make_unique<RunState>();
  state->workingDirectory = folder;
  RunContext run{window, progress, *state};
  return RunPipeline(run);
}

TEST(WindowRun, WritesTheSamePluginAsARunWithoutWindowAndLogsSevenStages) {
  ScratchFolder headless;
  LinkExampleWorld(headless.path());
  RunResult reference = RunHeadless(headless.path());
  ASSERT_EQ(reference.outcome, RunOutcome::Finished) << reference.message;

  ScratchFolder folder;
  LinkExampleWorld(folder.path());
  TestWindow test(folder.path());
  test.click("cmdBegin");

  ASSERT_EQ(test.window.lastOutcome(), RunOutcome::Finished);
  EXPECT_EQ(ReadBytes(folder / "Brackwyn.esp"), ReadBytes(headless / "Brackwyn.esp"));
  ASSERT_EQ(test.presenter.messages.size(), 1u);
  EXPECT_EQ(test.presenter.messages[0].kind, MessageKind::Information);
  EXPECT_EQ(test.presenter.messages[0].title, "Brackwyn");
  EXPECT_EQ(test.presenter.messages[0].text,
            "Finished! You may now copy Brackwyn.esm and Brackwyn.esp to you Morrowind\\Data "
            "Files folder.");

  const std::string& times = test.window.model().text("txtTimes");
  std::string names;
  for (std::size_t start = 0, end; (end = times.find("\r\n", start)) != std::string::npos;
       start = end + 2)
    names += times.substr(start, times.find(" - ", start) - start) + " ";
  EXPECT_EQ(names,
            "InitializeVariables CreatePalette LoadElevation ProcessElevation CreateVHGT "
            "CreateVCLR CreateESP ");
  EXPECT_EQ(test.find<QPlainTextEdit>("txtTimes")->toPlainText().count('\n'), 7);
  EXPECT_EQ(test.window.windowTitle(), "Brackwyn 1.3.1");
  EXPECT_FALSE(test.find<QPushButton>("cmdBegin")->isEnabled());
}

// A moment of a run with objects on, by the caption it shows: while the
// bitmaps load, while objects are placed (draws ahead and band writes on
// other threads) and while the plugin is written (cells encoded ahead).
struct CloseMoment {
  const char* name;
  const char* captionHas;
};

class ClosingDuringARun : public ::testing::TestWithParam<CloseMoment> {};

TEST_P(ClosingDuringARun, LeavesNoWorkFilesAndNoPartialPlugin) {
  ScratchFolder folder;
  LinkExampleWorld(folder.path());
  const std::vector<std::uint8_t> previous = {'o', 'l', 'd'};
  {
    std::ofstream old(folder / "Brackwyn.esp", std::ios::binary);
    old.write(reinterpret_cast<const char*>(previous.data()), 3);
  }
  TestWindow test(folder.path());
  test.window.model().setState("chkCreateObjects", 1);
  bool closing = false;
  const QString moment = QString::fromLatin1(GetParam().captionHas);
  QObject::connect(&test.window, &QWidget::windowTitleChanged, &test.window,
                   [&](const QString& title) {
                     if (closing || !title.contains(moment))
                       return;
                     closing = true;
                     QTimer::singleShot(0, &test.window, [&] { test.window.close(); });
                   });
  test.click("cmdBegin");

  EXPECT_TRUE(closing);
  EXPECT_EQ(test.window.lastOutcome(), RunOutcome::Abandoned);
  EXPECT_FALSE(test.window.isVisible());
  for (std::string_view name : kWorkFileNames)
    EXPECT_FALSE(std::filesystem::exists(folder / name)) << name;
  if (std::filesystem::exists(folder / "Brackwyn.esp")) {
    EXPECT_EQ(ReadBytes(folder / "Brackwyn.esp"), previous);
  }
  EXPECT_TRUE(test.presenter.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Moments, ClosingDuringARun,
                         ::testing::Values(CloseMoment{"LoadingHeights", "Loading height bitmaps"},
                                           CloseMoment{"PlacingObjects", "Creating objects - "},
                                           CloseMoment{"WritingPlugin", "Writing Brackwyn.ESP"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace brackwyn::gui
