// The Windows window driven as a user drives it: WM_SETTEXT on a text box
// sends EN_CHANGE, BM_CLICK on a check box or button sends BN_CLICKED. A run
// happens inside the start button's click, so what the user does during a
// run comes from timers that the run's message pumping delivers.
#include "win32/main_window.hpp"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>

#include "core/units.hpp"
#include "model/control_table.hpp"
#include "model/parameter_file.hpp"
#include "pipeline/work_files.hpp"
#include "pipeline/working_folder.hpp"
#include "support/test_support.hpp"
#include "win32/folder_memory.hpp"
#include "win32/wide_text.hpp"

namespace brackwyn::win32 {
namespace {

namespace fs = std::filesystem;
using brackwyn::testing::ReadBytes;
using brackwyn::testing::ScratchFolder;

struct PresentedMessage {
  MessageKind kind;
  std::string title;
  std::string text;
};

class RecordingPresenter : public MessagePresenter {
 public:
  void present(HWND, MessageKind kind, std::string_view title, std::string_view text) override {
    messages.push_back({kind, std::string(title), std::string(text)});
  }
  std::vector<PresentedMessage> messages;
};

struct TestWindow {
  explicit TestWindow(const fs::path& folder) : window(folder, &presenter) {
    window.show(SW_SHOWNOACTIVATE);
  }
  void click(std::string_view name) { ::SendMessageW(window.control(name), BM_CLICK, 0, 0); }
  void type(std::string_view name, std::string_view utf8) {
    std::wstring text = WideFromUtf8(utf8);
    ::SendMessageW(window.control(name), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }
  std::string shown(HWND control) { return Utf8FromWide(WindowText(control)); }
  std::string shown(std::string_view name) { return shown(window.control(name)); }

  RecordingPresenter presenter;
  MainWindow window;
};

// `action` runs from the message loop every millisecond or so until it
// returns true.
std::map<UINT_PTR, std::function<bool()>> timerActions;

void CALLBACK OnTimer(HWND, UINT, UINT_PTR timer, DWORD) {
  auto found = timerActions.find(timer);
  if (found != timerActions.end() && found->second()) {
    ::KillTimer(nullptr, timer);
    timerActions.erase(timer);
  }
}

void Repeat(std::function<bool()> action) {
  timerActions.emplace(::SetTimer(nullptr, 0, 1, OnTimer), std::move(action));
}

bool WaitFor(RunContext& run, const std::function<bool()>& done) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!done() && std::chrono::steady_clock::now() < deadline)
    run.progress.YieldToUI();
  return done();
}

fs::path FromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? fs::path(value) : fs::path();
}

// The example world's bitmaps and indexes, linked into `folder`.
bool LinkExampleWorld(const fs::path& folder) {
  fs::path world = FromEnvironment("BRACKWYN_EXAMPLE_WORLD");
  if (world.empty())
    return false;
  for (const auto& entry : fs::directory_iterator(world)) {
    fs::path name = entry.path().filename();
    if (name.extension() == ".bmp" || name.extension() == ".csv")
      brackwyn::testing::LinkFile(entry.path(), folder / name);
  }
  return true;
}

void SeedWorkFiles(const fs::path& folder) {
  for (std::string_view name : kWorkFileNames)
    std::ofstream(folder / name) << "work";
}

int WorkFilesLeft(const fs::path& folder) {
  int left = 0;
  for (std::string_view name : kWorkFileNames)
    left += fs::exists(folder / name) ? 1 : 0;
  return left;
}

std::wstring ClassOf(HWND control) {
  wchar_t name[64] = {};
  ::GetClassNameW(control, name, 64);
  return name;
}

std::string ToolTipOf(const MainWindow& window, HWND control) {
  wchar_t text[1024] = {};
  TOOLINFOW tool{};
  tool.cbSize = sizeof(tool);
  tool.hwnd = window.handle();
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.lpszText = text;
  ::SendMessageW(window.toolTips(), TTM_GETTEXTW, 1024, reinterpret_cast<LPARAM>(&tool));
  return Utf8FromWide(text);
}

TEST(Win32Window, DrawsEveryRowOfTheControlTableInItsOrderWithItsTextsTipsAndStates) {
  ScratchFolder folder;
  TestWindow test(folder.path());
  auto controls = ControlTable();
  for (std::size_t i = 0; i < controls.size(); ++i) {
    const ControlSpec& row = controls[i];
    SCOPED_TRACE(std::string(row.name.empty() ? row.caption : row.name));
    HWND control = test.window.control(i);
    ASSERT_NE(control, nullptr);
    LONG style = ::GetWindowLongW(control, GWL_STYLE);
    // Made in table order: that is the Tab order too.
    if (i + 1 < controls.size()) {
      EXPECT_EQ(::GetWindow(control, GW_HWNDNEXT), test.window.control(i + 1));
    }
    EXPECT_EQ(ToolTipOf(test.window, control), row.toolTip);
    bool enabled = row.kind != ControlKind::TextBox || row.editable;
    EXPECT_EQ(::IsWindowEnabled(control) != 0, enabled);
    switch (row.kind) {
      case ControlKind::Frame:
        EXPECT_EQ(style & BS_TYPEMASK, BS_GROUPBOX);
        EXPECT_EQ(test.shown(control), row.caption);
        break;
      case ControlKind::Heading:
      case ControlKind::RowCaption:
        EXPECT_EQ(ClassOf(control), L"Static");
        EXPECT_EQ(test.shown(control), row.caption);
        break;
      case ControlKind::Separator:
        EXPECT_EQ(style & SS_TYPEMASK, SS_ETCHEDHORZ);
        break;
      case ControlKind::TextBox:
        EXPECT_EQ(ClassOf(control), L"Edit");
        EXPECT_EQ(test.shown(control), row.defaultText);
        EXPECT_EQ(test.window.model().text(row.name), row.defaultText);
        break;
      case ControlKind::CheckBox: {
        EXPECT_EQ(test.shown(control), row.caption);
        const LRESULT states[] = {BST_UNCHECKED, BST_CHECKED, BST_INDETERMINATE};
        EXPECT_EQ(::SendMessageW(control, BM_GETCHECK, 0, 0), states[row.defaultState]);
        break;
      }
      case ControlKind::OutputArea:
        EXPECT_EQ(style & (ES_MULTILINE | ES_READONLY), ES_MULTILINE | ES_READONLY);
        EXPECT_EQ(test.shown(control), "");
        break;
      case ControlKind::Button:
        EXPECT_EQ(test.shown(control), MnemonicCaption(row));
        EXPECT_EQ(style & WS_TABSTOP, WS_TABSTOP);
        break;
    }
  }
  EXPECT_EQ(test.shown(test.window.handle()), "Brackwyn 1.3.1");
  EXPECT_NE(test.shown(test.window.statusLine()).find(folder.path().filename().string()),
            std::string::npos);
}

struct WholeRun {
  const char* name;
  bool objects;
  const char* reference;  // the runner's plugin, in BRACKWYN_CLI_PLUGINS
};

class Win32WindowRun : public ::testing::TestWithParam<WholeRun> {};

TEST_P(Win32WindowRun, WritesTheRunnersPluginShowsTheTimesAndRunsOncePerStart) {
  ScratchFolder folder;
  if (!LinkExampleWorld(folder.path()))
    GTEST_SKIP() << "BRACKWYN_EXAMPLE_WORLD is not set";
  TestWindow test(folder.path());
  if (GetParam().objects)
    test.click("chkCreateObjects");
  EXPECT_EQ(test.window.model().state("chkCreateObjects"), GetParam().objects ? 1 : 0);
  test.click("cmdBegin");

  ASSERT_EQ(test.window.lastOutcome(), RunOutcome::Finished);
  EXPECT_EQ(ReadBytes(folder / "Brackwyn.esp"),
            ReadBytes(FromEnvironment("BRACKWYN_CLI_PLUGINS") / GetParam().reference));
  ASSERT_EQ(test.presenter.messages.size(), 1u);
  EXPECT_EQ(test.presenter.messages[0].kind, MessageKind::Information);
  EXPECT_EQ(test.presenter.messages[0].title, "Brackwyn");
  EXPECT_EQ(test.presenter.messages[0].text,
            "Finished! You may now copy Brackwyn.esm and Brackwyn.esp to you Morrowind\\Data "
            "Files folder.");
  std::string times = test.shown("txtTimes");
  EXPECT_EQ(times, test.window.model().text("txtTimes"));
  EXPECT_NE(times.find("CreateESP - "), std::string::npos);
  EXPECT_EQ(test.shown(test.window.handle()), "Brackwyn 1.3.1");
  EXPECT_FALSE(::IsWindowEnabled(test.window.control("cmdBegin")));
  EXPECT_GT(test.window.previewPane().imageWidth(), 0);

  test.click("cmdBegin");  // one run per program start
  EXPECT_EQ(test.presenter.messages.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Settings, Win32WindowRun,
                         ::testing::Values(WholeRun{"Default", false, "objects-off.esp"},
                                           WholeRun{"Objects", true, "objects-on.esp"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Win32Window, EditsLoadAndSaveDuringARunReachTheRun) {
  ScratchFolder folder;
  TestWindow test(folder.path());
  WindowModel& model = test.window.model();
  std::string divisorSeen, captionSeen;
  test.window.setRunner([&](RunContext& run) {
    run.progress.ShowProgress(" - Testing");
    Repeat([&] {
      test.type("txtObjectDivisor", "9");
      test.click("cmdSaveParameters");
      model.setText("txtESP", "changed.esp");
      test.click("cmdLoadParameters");
      return true;
    });
    WaitFor(run, [&] { return run.window.text("txtObjectDivisor") == "9"; });
    divisorSeen = run.window.text("txtObjectDivisor");
    captionSeen = test.shown(test.window.handle());
    return RunResult{RunOutcome::Finished, ""};
  });
  test.click("cmdBegin");
  EXPECT_EQ(divisorSeen, "9");
  EXPECT_EQ(captionSeen, "Brackwyn 1.3.1 - Testing");
  EXPECT_TRUE(fs::exists(folder / kParameterFileName));
  EXPECT_EQ(test.shown("txtESP"), "Brackwyn.esp");
  EXPECT_TRUE(test.presenter.messages.empty());
}

TEST(Win32Window, LoadRestoresWhatSaveStoredAndAltSSaves) {
  ScratchFolder folder;
  TestWindow test(folder.path());
  WindowModel& model = test.window.model();
  test.type("txtESP", "\xC3\x8Ele.esp");  // "Île.esp": the model holds UTF-8
  EXPECT_EQ(model.text("txtESP"), "\xC3\x8Ele.esp");
  MSG altS{test.window.control("txtESM"), WM_SYSCHAR, L's', 1 << 29, 0, {}};
  EXPECT_TRUE(test.window.handleDialogKeys(altS));
  ASSERT_TRUE(fs::exists(folder / kParameterFileName));

  for (const ControlSpec& control : ControlTable()) {
    if (control.kind == ControlKind::TextBox && control.editable)
      test.type(control.name, "changed");
    if (control.kind == ControlKind::CheckBox)
      test.click(control.name);
  }
  test.click("cmdLoadParameters");
  for (const ControlSpec& control : ControlTable()) {
    if (control.kind == ControlKind::TextBox && control.editable) {
      EXPECT_EQ(test.shown(control.name),
                control.name == "txtESP" ? "\xC3\x8Ele.esp" : control.defaultText);
    }
    if (control.kind == ControlKind::CheckBox) {
      EXPECT_EQ(model.state(control.name), control.defaultState) << control.name;
    }
  }
  EXPECT_TRUE(test.presenter.messages.empty());

  // A name that Windows-1252 cannot hold is taken, but not saved.
  test.type("txtESP", "\xCE\xA9mega.esp");  // "Ωmega.esp"
  EXPECT_EQ(model.text("txtESP"), "\xCE\xA9mega.esp");
  test.click("cmdSaveParameters");
  ASSERT_EQ(test.presenter.messages.size(), 1u);
  EXPECT_EQ(test.presenter.messages[0].kind, MessageKind::Error);
  EXPECT_NE(test.presenter.messages[0].text.find(DescribeSetting("txtESP")), std::string::npos);
}

TEST(Win32Window, OpenFolderSwitchesAndRemembersTheWorkingFolderOnlyBeforeTheRun) {
  ScratchFolder folder, other;
  TestWindow test(folder.path());
  const fs::path before = RememberedFolder();  // the user's, put back at the end
  test.window.rememberFolders();
  EXPECT_EQ(RememberedFolder(), AbsoluteFolder(folder.path()));
  std::vector<fs::path> offered;
  std::optional<fs::path> answer;  // cancelled first
  test.window.setFolderDialog([&](HWND, const fs::path& current) {
    offered.push_back(current);
    return answer;
  });

  test.click("cmdOpenFolder");
  EXPECT_EQ(test.window.workingDirectory(), folder.path());
  answer = other.path();
  test.click("cmdOpenFolder");
  EXPECT_EQ(offered, (std::vector{folder.path(), folder.path()}));
  EXPECT_EQ(test.window.workingDirectory(), other.path());
  EXPECT_EQ(test.shown(test.window.statusLine()),
            "Working folder: " + Utf8FromWide(AbsoluteFolder(other.path()).wstring()));
  EXPECT_EQ(RememberedFolder(), AbsoluteFolder(other.path()));
  test.click("cmdSaveParameters");
  EXPECT_TRUE(fs::exists(other / kParameterFileName));

  answer = folder.path();
  test.window.setRunner([&](RunContext& run) {
    test.window.openFolder();  // during the run: not even asked
    run.window.setBeginEnabled(false);
    return RunResult{RunOutcome::Finished, ""};
  });
  test.click("cmdBegin");
  EXPECT_FALSE(::IsWindowEnabled(test.window.control("cmdOpenFolder")));
  test.window.openFolder();
  EXPECT_EQ(offered.size(), 2u);
  EXPECT_EQ(test.window.workingDirectory(), other.path());
  if (before.empty())
    ::RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Brackwyn", L"WorkingFolder");
  else
    RememberFolder(before);
}

struct BadSetting {
  const char* name;
  const char* text;
};

class Win32WindowBadSetting : public ::testing::TestWithParam<BadSetting> {};

TEST_P(Win32WindowBadSetting, StopsTheRunWithAMessageNamingItAndKeepsTheWindowUsable) {
  ScratchFolder folder;
  TestWindow test(folder.path());
  test.type(GetParam().name, GetParam().text);
  test.click("cmdBegin");
  EXPECT_EQ(test.window.lastOutcome(), RunOutcome::Failed);
  ASSERT_EQ(test.presenter.messages.size(), 1u);
  EXPECT_EQ(test.presenter.messages[0].kind, MessageKind::Error);
  EXPECT_EQ(test.presenter.messages[0].title, "Brackwyn");
  EXPECT_NE(test.presenter.messages[0].text.find(DescribeSetting(GetParam().name)),
            std::string::npos)
      << test.presenter.messages[0].text;
  EXPECT_EQ(test.shown(test.window.handle()), "Brackwyn 1.3.1");
  EXPECT_FALSE(::IsWindowEnabled(test.window.control("cmdBegin")));
  EXPECT_TRUE(::IsWindowEnabled(test.window.control("cmdSaveParameters")));
  test.click("cmdBegin");
  EXPECT_EQ(test.presenter.messages.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Settings, Win32WindowBadSetting,
                         ::testing::Values(BadSetting{"txtScaleInterior", "abc"},
                                           BadSetting{"txtObjectSeed", "3000000000"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Win32Window, ClosingDuringARunKeepsThePreviousPluginAndDeletesTheWorkFiles) {
  ScratchFolder folder;
  if (!LinkExampleWorld(folder.path()))
    GTEST_SKIP() << "BRACKWYN_EXAMPLE_WORLD is not set";
  std::ofstream(folder / "Brackwyn.esp", std::ios::binary) << "old";
  TestWindow test(folder.path());
  test.click("chkCreateObjects");
  bool closed = false;
  Repeat([&] {
    if (test.shown(test.window.handle()).find("Creating objects - ") == std::string::npos)
      return false;
    closed = true;
    test.window.close();
    return true;
  });
  test.click("cmdBegin");

  EXPECT_TRUE(closed);
  EXPECT_EQ(test.window.lastOutcome(), RunOutcome::Abandoned);
  EXPECT_EQ(test.window.handle(), nullptr);
  EXPECT_EQ(WorkFilesLeft(folder.path()), 0);
  EXPECT_EQ(ReadBytes(folder / "Brackwyn.esp"), (std::vector<std::uint8_t>{'o', 'l', 'd'}));
  EXPECT_TRUE(test.presenter.messages.empty());
}

TEST(Win32Window, ASecondWindowOnTheFolderCannotRunAndLeavesTheFirstOnesWorkFiles) {
  ScratchFolder folder;
  SeedWorkFiles(folder.path());
  TestWindow first(folder.path());
  first.window.setRunner([](RunContext&) { return RunResult{}; });
  first.click("cmdBegin");  // holds the folder until it closes
  TestWindow second(folder.path());
  bool ran = false;
  second.window.setRunner([&](RunContext&) {
    ran = true;
    return RunResult{};
  });
  second.click("cmdBegin");
  EXPECT_FALSE(ran);
  ASSERT_EQ(second.presenter.messages.size(), 1u);
  EXPECT_NE(second.presenter.messages[0].text.find("Another run is using the folder"),
            std::string::npos);
  second.window.close();
  EXPECT_EQ(WorkFilesLeft(folder.path()), 4);
  first.window.close();
  EXPECT_EQ(WorkFilesLeft(folder.path()), 0);
}

// WM_CLOSE is the user closing the window, WM_ENDSESSION a logoff or
// shutdown, after which Windows ends the program without further notice.
struct Ending {
  const char* name;
  UINT message;
  bool duringRun;
};

class Win32WindowEnding : public ::testing::TestWithParam<Ending> {};

TEST_P(Win32WindowEnding, DeletesTheWorkFiles) {
  ScratchFolder folder;
  SeedWorkFiles(folder.path());
  TestWindow test(folder.path());
  auto end = [&] { ::SendMessageW(test.window.handle(), GetParam().message, TRUE, 0); };
  if (GetParam().duringRun) {
    test.window.setRunner([&](RunContext& run) {
      Repeat([&] {
        end();
        return true;
      });
      try {
        WaitFor(run, [] { return false; });  // until the window asks the run to give up
      } catch (const RunAbandoned&) {
        return RunResult{RunOutcome::Abandoned, ""};
      }
      return RunResult{};
    });
    test.click("cmdBegin");
    EXPECT_EQ(test.window.lastOutcome(), RunOutcome::Abandoned);
  } else {
    end();
  }
  EXPECT_EQ(WorkFilesLeft(folder.path()), 0);
  EXPECT_TRUE(test.presenter.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Messages, Win32WindowEnding,
                         ::testing::Values(Ending{"CloseWhenIdle", WM_CLOSE, false},
                                           Ending{"EndSessionWhenIdle", WM_ENDSESSION, false},
                                           Ending{"EndSessionDuringARun", WM_ENDSESSION, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Win32Window, AClippingReportOfAHundredThousandLinesArrivesWhole) {
  ScratchFolder folder;
  TestWindow test(folder.path());
  const std::string line = "x: 1234 y: 2345\r\n";
  constexpr int kLines = 100'000;
  test.window.setRunner([&](RunContext& run) {
    for (int i = 0; i < kLines; ++i) {
      run.window.appendText("txtLog", line);
      run.progress.YieldToUI();
    }
    return RunResult{};
  });
  test.click("cmdBegin");
  EXPECT_EQ(::GetWindowTextLengthW(test.window.control("txtLog")),
            static_cast<int>(line.size()) * kLines);
}

}  // namespace
}  // namespace brackwyn::win32
