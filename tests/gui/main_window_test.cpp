#include "gui/main_window.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>

#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QTimer>

#include "gui/folder_memory.hpp"
#include "gui_test_support.hpp"
#include "model/control_table.hpp"
#include "model/parameter_file.hpp"
#include "pipeline/work_files.hpp"
#include "support/test_support.hpp"

namespace brackwyn::gui {
namespace {

using brackwyn::testing::ScratchFolder;
using testing::TestWindow;

QString Q(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

class MainWindowTest : public ::testing::Test {
 protected:
  ScratchFolder folder;
  TestWindow test{folder.path()};
  MainWindow& window = test.window;
  WindowModel& model = window.model();

  QRect Place(const char* name) {
    auto* widget = test.find<QWidget>(name);
    return QRect(widget->mapTo(&window, QPoint(0, 0)), widget->size());
  }
  void Type(const char* name, const QString& text) {
    auto* box = test.find<QLineEdit>(name);
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Backspace);
    QTest::keyClicks(box, text);
  }
};

void ExpectLabel(const QWidget& window, const ControlSpec& control) {
  bool found = false;
  for (QLabel* label : window.findChildren<QLabel*>()) {
    if (label->text() == Q(control.caption)) {
      found = true;
      EXPECT_EQ(label->toolTip(), Q(control.toolTip)) << control.caption;
    }
  }
  EXPECT_TRUE(found) << control.caption;
}

TEST_F(MainWindowTest, DrawsEveryControlOfTheTableWithItsDefaultToolTipAndEnabledState) {
  int separators = 0;
  for (const ControlSpec& control : ControlTable()) {
    const QString name = Q(control.name);
    const QString tip = Q(control.toolTip);
    SCOPED_TRACE(std::string(control.name.empty() ? control.caption : control.name));
    switch (control.kind) {
      case ControlKind::Frame: {
        auto* frame = window.findChild<QGroupBox*>(name);
        ASSERT_NE(frame, nullptr);
        EXPECT_EQ(frame->title(), Q(control.caption));
        EXPECT_EQ(frame->toolTip(), tip);
        break;
      }
      case ControlKind::Heading:
      case ControlKind::RowCaption:
        ExpectLabel(window, control);
        break;
      case ControlKind::Separator:
        ++separators;
        break;
      case ControlKind::TextBox: {
        auto* box = window.findChild<QLineEdit*>(name);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->text(), Q(control.defaultText));
        EXPECT_EQ(box->toolTip(), tip);
        EXPECT_EQ(box->isEnabled(), control.editable);
        break;
      }
      case ControlKind::CheckBox: {
        auto* box = window.findChild<QCheckBox*>(name);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->text(), Q(control.caption));
        EXPECT_EQ(ModelState(box->checkState()), control.defaultState);
        EXPECT_TRUE(box->isTristate());
        EXPECT_EQ(box->toolTip(), tip);
        EXPECT_TRUE(box->isEnabled());
        break;
      }
      case ControlKind::OutputArea: {
        auto* area = window.findChild<QPlainTextEdit*>(name);
        ASSERT_NE(area, nullptr);
        EXPECT_TRUE(area->toPlainText().isEmpty());
        EXPECT_TRUE(area->isReadOnly());
        EXPECT_EQ(area->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        EXPECT_EQ(area->toolTip(), tip);
        EXPECT_TRUE(area->parentWidget()->objectName() == Q(control.frame));
        break;
      }
      case ControlKind::Button: {
        auto* button = window.findChild<QPushButton*>(name);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->text(), Q(MnemonicCaption(control)));
        EXPECT_EQ(button->toolTip(), tip);
        EXPECT_TRUE(button->isEnabled());
        break;
      }
    }
  }
  int lines = 0;
  for (QFrame* frame : window.findChildren<QFrame*>())
    lines += frame->frameShape() == QFrame::HLine ? 1 : 0;
  EXPECT_EQ(lines, separators);
}

TEST_F(MainWindowTest, ShowsTheIdleCaptionAndTheStartButtonInTwelvePoints) {
  EXPECT_EQ(window.windowTitle(), "Brackwyn 1.3.1");
  EXPECT_EQ(test.find<QPushButton>("cmdBegin")->font().pointSize(), 12);
  EXPECT_LT(test.find<QPushButton>("cmdSaveParameters")->font().pointSize(), 12);
}

TEST_F(MainWindowTest, PlacesSettingsLeftOutputsRightAndButtonsAlongTheBottom) {
  QRect parameters = Place("fraParameters");
  QRect log = Place("fraLog");
  QRect counts = Place("fraObjectsCount");
  QRect times = Place("fraTimes");
  EXPECT_LE(parameters.right(), log.left());
  EXPECT_LE(log.right(), counts.left());
  EXPECT_EQ(log.top(), counts.top());
  EXPECT_LE(log.bottom(), times.top());
  EXPECT_LE(times.left(), log.left());
  EXPECT_GE(times.right(), counts.right());
  QRect load = Place("cmdLoadParameters");
  QRect save = Place("cmdSaveParameters");
  QRect begin = Place("cmdBegin");
  EXPECT_GE(load.top(), std::max(parameters.bottom(), times.bottom()));
  EXPECT_LT(load.right(), save.left());
  EXPECT_LT(save.right(), begin.left());
  EXPECT_NEAR(load.center().y(), begin.center().y(), 2);
}

TEST_F(MainWindowTest, UserEditsReachTheModelAtOnce) {
  Type("txtObjectDivisor", "17");
  EXPECT_EQ(model.text("txtObjectDivisor"), "17");
  Type("txtESP", "Island.esp");
  EXPECT_EQ(model.text("txtESP"), "Island.esp");

  auto* objects = test.find<QCheckBox>("chkCreateObjects");
  QTest::mouseClick(objects, Qt::LeftButton, {}, QPoint(4, objects->height() / 2));
  EXPECT_EQ(model.state("chkCreateObjects"), 1);
  QTest::mouseClick(objects, Qt::LeftButton, {}, QPoint(4, objects->height() / 2));
  EXPECT_EQ(model.state("chkCreateObjects"), 0);
}

TEST_F(MainWindowTest, AClickOnAGrayedBoxChecksIt) {
  model.setState("chkCreateVCLR", 2);
  auto* colors = test.find<QCheckBox>("chkCreateVCLR");
  EXPECT_EQ(colors->checkState(), Qt::PartiallyChecked);
  QTest::mouseClick(colors, Qt::LeftButton, {}, QPoint(4, colors->height() / 2));
  EXPECT_EQ(model.state("chkCreateVCLR"), 1);
  EXPECT_EQ(colors->checkState(), Qt::Checked);
}

TEST_F(MainWindowTest, ModelChangesShowAtOnceWhenIdle) {
  model.setText("txtESM", "Tamriel.esm");
  model.setState("chkCreateObjects", 2);
  model.setCaption("Brackwyn 1.3.1 - Testing");
  model.setBeginEnabled(false);
  model.appendText("txtTimes", "LoadElevation - 0:0:7\r\n");
  EXPECT_EQ(test.find<QLineEdit>("txtESM")->text(), "Tamriel.esm");
  EXPECT_EQ(test.find<QCheckBox>("chkCreateObjects")->checkState(), Qt::PartiallyChecked);
  EXPECT_EQ(window.windowTitle(), "Brackwyn 1.3.1 - Testing");
  EXPECT_FALSE(test.find<QPushButton>("cmdBegin")->isEnabled());
  EXPECT_EQ(test.find<QPlainTextEdit>("txtTimes")->toPlainText(), "LoadElevation - 0:0:7\n");
}

TEST_F(MainWindowTest, LoadRestoresWhatSaveStoredThroughTheButtons) {
  test.click("cmdSaveParameters");
  EXPECT_TRUE(std::filesystem::exists(folder / kParameterFileName));
  for (const ControlSpec& control : ControlTable()) {
    if (control.kind == ControlKind::TextBox)
      model.setText(control.name, "changed");
    if (control.kind == ControlKind::CheckBox)
      model.setState(control.name, 1 - control.defaultState);
  }
  test.click("cmdLoadParameters");
  for (const ControlSpec& control : ControlTable()) {
    if (control.kind == ControlKind::TextBox) {
      QString expected = control.editable ? Q(control.defaultText) : QString("changed");
      EXPECT_EQ(test.find<QLineEdit>(control.name.data())->text(), expected) << control.name;
    }
    if (control.kind == ControlKind::CheckBox) {
      EXPECT_EQ(ModelState(test.find<QCheckBox>(control.name.data())->checkState()),
                control.defaultState);
    }
  }
  EXPECT_TRUE(test.presenter.messages.empty());
}

TEST_F(MainWindowTest, AGrayedStateLoadedFromTheFileShowsGrayed) {
  model.setState("chkCreateObjects", 2);
  model.setState("chkCreateVCLR", 2);
  test.click("cmdSaveParameters");
  model.setState("chkCreateObjects", 0);
  model.setState("chkCreateVCLR", 1);
  test.click("cmdLoadParameters");
  EXPECT_EQ(test.find<QCheckBox>("chkCreateObjects")->checkState(), Qt::PartiallyChecked);
  EXPECT_EQ(test.find<QCheckBox>("chkCreateVCLR")->checkState(), Qt::PartiallyChecked);
}

class ParameterButtonTest : public MainWindowTest,
                            public ::testing::WithParamInterface<const char*> {};

TEST_P(ParameterButtonTest, AFileThatCannotBeUsedIsShownInAnErrorBox) {
  // A folder where the file should be: neither readable nor writable as one.
  std::filesystem::create_directory(folder / kParameterFileName);
  test.click(GetParam());
  ASSERT_EQ(test.presenter.messages.size(), 1u);
  EXPECT_EQ(test.presenter.messages[0].kind, MessageKind::Error);
  EXPECT_EQ(test.presenter.messages[0].title, "Brackwyn");
  EXPECT_TRUE(window.isVisible());
  EXPECT_EQ(model.text("txtESM"), "Brackwyn.esm");
}

INSTANTIATE_TEST_SUITE_P(Buttons, ParameterButtonTest,
                         ::testing::Values("cmdLoadParameters", "cmdSaveParameters"),
                         [](const auto& info) { return std::string(info.param); });

struct BadSetting {
  const char* name;
  const char* text;
};

class BadSettingTest : public MainWindowTest, public ::testing::WithParamInterface<BadSetting> {};

TEST_P(BadSettingTest, StopsTheRunWithAMessageAndKeepsTheWindowOpen) {
  Type(GetParam().name, GetParam().text);
  test.click("cmdBegin");
  EXPECT_EQ(window.lastOutcome(), RunOutcome::Failed);
  ASSERT_EQ(test.presenter.messages.size(), 1u);
  const testing::PresentedMessage& shown = test.presenter.messages[0];
  EXPECT_EQ(shown.kind, MessageKind::Error);
  EXPECT_EQ(shown.title, "Brackwyn");
  EXPECT_NE(shown.text.find(DescribeSetting(GetParam().name)), std::string::npos) << shown.text;
  EXPECT_TRUE(window.isVisible());
  EXPECT_EQ(window.windowTitle(), "Brackwyn 1.3.1");
  EXPECT_FALSE(test.find<QPushButton>("cmdBegin")->isEnabled());
  EXPECT_TRUE(test.find<QPushButton>("cmdSaveParameters")->isEnabled());
  EXPECT_TRUE(test.find<QLineEdit>("txtESM")->isEnabled());

  test.click("cmdBegin");  // one run per program start
  EXPECT_EQ(test.presenter.messages.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Settings, BadSettingTest,
                         ::testing::Values(BadSetting{"txtScaleInterior", "abc"},
                                           BadSetting{"txtScaleMountain", ""},
                                           BadSetting{"txtObjectSeed", "3000000000"}),
                         [](const auto& info) { return std::string(info.param.name); });

// Stands in for the pipeline: yields like a stage's loop until the window
// asks it to stop, at most for a few seconds.
RunResult YieldUntilClosed(RunContext& run) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  try {
    while (std::chrono::steady_clock::now() < deadline)
      run.progress.YieldToUI();
  } catch (const RunAbandoned&) {
    return {RunOutcome::Abandoned, ""};
  }
  return {RunOutcome::Finished, ""};
}

class CloseTest : public MainWindowTest, public ::testing::WithParamInterface<bool> {};

TEST_P(CloseTest, ClosingDeletesTheWorkFilesIdleOrDuringARun) {
  bool duringRun = GetParam();
  std::ofstream(folder / "Base.dat") << "base";
  std::ofstream(folder / "FRMR.dat") << "frmr";
  if (duringRun) {
    window.setRunner(YieldUntilClosed);
    QTimer::singleShot(0, &window, [this] { window.close(); });
    test.click("cmdBegin");
    EXPECT_EQ(window.lastOutcome(), RunOutcome::Abandoned);
  } else {
    window.close();
  }
  EXPECT_FALSE(window.isVisible());
  for (std::string_view name : kWorkFileNames)
    EXPECT_FALSE(std::filesystem::exists(folder / name)) << name;
  EXPECT_TRUE(test.presenter.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(IdleOrRunning, CloseTest, ::testing::Bool(), [](const auto& info) {
  return std::string(info.param ? "DuringARun" : "Idle");
});

TEST_F(MainWindowTest, ClosingWithoutARunOrWorkFilesLeavesTheFolderAsItWas) {
  window.close();
  EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
}

TEST_F(MainWindowTest, DuringARunTheUserCanEditAndTheStageSeesIt) {
  std::string divisorSeen;
  bool ranEvents = false;
  window.setRunner([&](RunContext& run) {
    run.progress.ShowProgress(" - Testing");
    QTimer::singleShot(0, &window, [this] { Type("txtObjectDivisor", "9"); });
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (model.text("txtObjectDivisor") != "9" && std::chrono::steady_clock::now() < deadline)
      ranEvents |= run.progress.YieldToUI();
    divisorSeen = run.window.text("txtObjectDivisor");
    EXPECT_EQ(window.windowTitle(), "Brackwyn 1.3.1 - Testing");
    return RunResult{RunOutcome::Finished, ""};
  });
  test.click("cmdBegin");
  EXPECT_TRUE(ranEvents);
  EXPECT_EQ(divisorSeen, "9");
}

TEST_F(MainWindowTest, TheParameterButtonsWorkDuringARun) {
  window.setRunner([&](RunContext& run) {
    QTimer::singleShot(0, &window, [this] {
      test.click("cmdSaveParameters");
      model.setText("txtESP", "changed.esp");
      test.click("cmdLoadParameters");
    });
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!std::filesystem::exists(folder / kParameterFileName) &&
           std::chrono::steady_clock::now() < deadline)
      run.progress.YieldToUI();
    return RunResult{RunOutcome::Finished, ""};
  });
  test.click("cmdBegin");
  EXPECT_TRUE(std::filesystem::exists(folder / kParameterFileName));
  EXPECT_EQ(test.find<QLineEdit>("txtESP")->text(), "Brackwyn.esp");
}

TEST_F(MainWindowTest, OpenFolderSwitchesAndRemembersTheWorkingFolderOnlyBeforeTheRun) {
  ScratchFolder other;
  QSettings memory(QString::fromStdU16String((folder / "memory.ini").u16string()),
                   QSettings::IniFormat);
  window.rememberFoldersIn(memory);
  std::vector<std::filesystem::path> offered;
  std::optional<std::filesystem::path> answer;  // cancelled first
  window.setFolderDialog([&](QWidget*, const std::filesystem::path& current) {
    offered.push_back(current);
    return answer;
  });
  auto* status = test.find<QLabel>("lblWorkingFolder");
  ASSERT_NE(status, nullptr);
  EXPECT_TRUE(status->text().endsWith(QString::fromStdU16String(folder.path().u16string())));

  test.click("cmdOpenFolder");
  EXPECT_EQ(window.workingDirectory(), folder.path());
  answer = other.path();
  test.click("cmdOpenFolder");
  EXPECT_EQ(offered, (std::vector{folder.path(), folder.path()}));
  EXPECT_EQ(window.workingDirectory(), other.path());
  EXPECT_TRUE(status->text().endsWith(QString::fromStdU16String(other.path().u16string())));
  EXPECT_EQ(StartFolder(std::nullopt, memory), other.path());
  test.click("cmdSaveParameters");
  EXPECT_TRUE(std::filesystem::exists(other / kParameterFileName));

  answer = folder.path();
  window.setRunner([&](RunContext& run) {
    window.openFolder();  // during the run: not even asked
    run.window.setBeginEnabled(false);
    return RunResult{RunOutcome::Finished, ""};
  });
  test.click("cmdBegin");
  EXPECT_FALSE(test.find<QPushButton>("cmdOpenFolder")->isEnabled());
  window.openFolder();
  EXPECT_EQ(offered.size(), 2u);
  EXPECT_EQ(window.workingDirectory(), other.path());
}

TEST(FolderMemoryTest, TheCommandLineWinsThenTheLastFolderWhileItExistsThenHome) {
  ScratchFolder scratch;
  QSettings memory(QString::fromStdU16String((scratch / "memory.ini").u16string()),
                   QSettings::IniFormat);
  const std::filesystem::path home(QDir::homePath().toStdU16String());
  const std::filesystem::path world = scratch / "world";
  std::filesystem::create_directory(world);

  EXPECT_EQ(StartFolder(std::nullopt, memory), home);
  RememberFolder(memory, world / "sub" / ".." / ".");
  EXPECT_EQ(StartFolder(std::nullopt, memory), world);
  EXPECT_EQ(StartFolder(std::filesystem::path("given"), memory), "given");
  std::filesystem::remove(world);
  EXPECT_EQ(StartFolder(std::nullopt, memory), home);
}

}  // namespace
}  // namespace brackwyn::gui
