// End-to-end: the built brackwyn-cli, run in a scratch folder as a user would.
#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#endif

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <fstream>
#include <map>
#include <thread>

#include "cli_process.hpp"
#include "core/folder_lock.hpp"
#include "core/utf8_path.hpp"
#include "model/control_table.hpp"
#include "pipeline/work_files.hpp"
#include "support/test_support.hpp"
#include "tools/gray_bitmap_writer.hpp"

namespace brackwyn {
namespace {

using testing::CliOutcome;
using testing::ReadBytes;
using testing::RunCli;
using testing::ScratchFolder;
namespace fs = std::filesystem;

bool Contains(const std::string& text, std::string_view part) {
  return text.find(part) != std::string::npos;
}

std::string ReadText(const fs::path& path) {
  std::vector<std::uint8_t> bytes = ReadBytes(path);
  return {bytes.begin(), bytes.end()};
}

void WriteText(const fs::path& path, std::string_view text) {
  std::ofstream(path, std::ios::binary) << text;
}

std::vector<std::string> FolderContents(const fs::path& folder) {
  std::vector<std::string> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

bool AnyWorkFile(const fs::path& folder) {
  return std::any_of(kWorkFileNames.begin(), kWorkFileNames.end(),
                     [&](std::string_view name) { return fs::exists(folder / name); });
}

// Runs that need no bitmaps: options, listings and failures before the
// elevation is read.
class CliBasics : public ::testing::Test {
 protected:
  ScratchFolder folder;
};

TEST_F(CliBasics, HelpDescribesTheOptionsAndExitStatus) {
  CliOutcome run = RunCli({"--help"}, folder.path());
  EXPECT_EQ(run.status, 0);
  for (std::string_view part :
       {"Usage: brackwyn-cli [OPTIONS]", "--load", "--set NAME=VALUE", "--save", "--no-run",
        "--list", "--timings", "-C,--directory DIR", "--version", "Exit status: 0 success"})
    EXPECT_TRUE(Contains(run.out, part)) << part;
  EXPECT_EQ(run.err, "");
  EXPECT_TRUE(FolderContents(folder.path()).empty());
}

TEST_F(CliBasics, VersionIsTheProgramAndItsVersion) {
  CliOutcome run = RunCli({"--version"}, folder.path());
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "Brackwyn 1.3.1\n");
}

TEST_F(CliBasics, ListShowsEverySettingAfterTheChangesAndDoesNotRun) {
  CliOutcome run =
      RunCli({"--set", "txtESP=Island.esp", "--set", "chkCreateVCLR=2", "--list"}, folder.path());
  EXPECT_EQ(run.status, 0) << run.err;
  for (const ControlSpec& control : ControlTable()) {
    if (IsSetting(control)) {
      EXPECT_TRUE(Contains(run.out, std::string(control.name) + " - " + std::string(control.label)))
          << control.name;
    }
  }
  EXPECT_TRUE(Contains(run.out,
                       "value \"Island.esp\", default \"Brackwyn.esp\"\n"
                       "  Plugin file Brackwyn will create.\n"));
  EXPECT_TRUE(Contains(run.out, "value 2 (grayed), default 1 (checked)"));
  EXPECT_TRUE(Contains(run.out, "txtScaleCoast - Elevation1 (Coast: -256 - 32) range (fixed)"));
  EXPECT_TRUE(FolderContents(folder.path()).empty());
}

struct UsageCase {
  const char* label;
  std::vector<std::string> arguments;
  std::vector<std::string> inError;

  friend void PrintTo(const UsageCase& usage, std::ostream* out) { *out << usage.label; }
};

class CliUsageError : public CliBasics, public ::testing::WithParamInterface<UsageCase> {};

TEST_P(CliUsageError, ExitsWith2NamingTheWordAndASuggestion) {
  CliOutcome run = RunCli(GetParam().arguments, folder.path());
  EXPECT_EQ(run.status, 2);
  for (const std::string& part : GetParam().inError)
    EXPECT_TRUE(Contains(run.err, part)) << run.err << "\nlacks " << part;
  EXPECT_TRUE(Contains(run.err, "brackwyn-cli --help")) << run.err;
  EXPECT_EQ(run.out, "");
  EXPECT_TRUE(FolderContents(folder.path()).empty());
}

INSTANTIATE_TEST_SUITE_P(
    Mistakes, CliUsageError,
    ::testing::Values(
        UsageCase{"UnknownOption", {"--save", "--lod"}, {"\"--lod\"", "did you mean \"--load\""}},
        UsageCase{"UnknownSetting",
                  {"--set", "txtESP=a.esp", "--set", "txtScaleMountian=4000", "--save"},
                  {"\"txtScaleMountian\"", "did you mean \"txtScaleMountain\""}},
        UsageCase{"SettingAsOption", {"--txtESP=a.esp"}, {"did you mean \"--set txtESP=a.esp\""}},
        UsageCase{"FixedBox", {"--set", "txtVCLR1R=0"}, {"txtVCLR1R", "cannot be changed"}},
        UsageCase{"CheckBoxValue", {"--set", "chkCreateObjects=on"}, {"\"on\"", "0 (unchecked)"}},
        UsageCase{"MissingFolder", {"-C", "no-such-folder"}, {"no-such-folder"}}),
    [](const auto& info) { return info.param.label; });

TEST_F(CliBasics, SettingThatIsNotANumberFailsTheRunNamingIt) {
  CliOutcome run = RunCli({"--set", "txtScaleInterior=1O00"}, folder.path());
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(Contains(run.err, "txtScaleInterior")) << run.err;
  EXPECT_TRUE(Contains(run.err, "1O00")) << run.err;
  EXPECT_FALSE(fs::exists(folder / "Brackwyn.esp"));
  EXPECT_FALSE(AnyWorkFile(folder.path()));
}

TEST_F(CliBasics, RefusedSaveFailsAndKeepsTheOldFile) {
  ASSERT_EQ(RunCli({"--save", "--no-run"}, folder.path()).status, 0);
  std::vector<std::uint8_t> before = ReadBytes(folder / "Parameters.ini");
  CliOutcome run =
      RunCli({"--set", "txtObjectIndex=" + std::string(127, 'o'), "--save"}, folder.path());
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(Contains(run.err, "txtObjectIndex")) << run.err;
  EXPECT_TRUE(Contains(run.err, "127 bytes")) << run.err;
  EXPECT_EQ(ReadBytes(folder / "Parameters.ini"), before);
  EXPECT_EQ(FolderContents(folder.path()), std::vector<std::string>{"Parameters.ini"});
}

TEST_F(CliBasics, LoadWarnsAboutEverySettingItKept) {
  ASSERT_EQ(RunCli({"--set", "txtESM=Mine.esm", "--save", "--no-run"}, folder.path()).status, 0);
  fs::resize_file(folder / "Parameters.ini", 128 * 29);  // the last two records are gone
  fs::path elsewhere = folder / "sub";
  fs::create_directory(elsewhere);
  CliOutcome run = RunCli({"-C", "..", "--load", "--list"}, elsewhere);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(Contains(run.out, "value \"Mine.esm\", default \"Brackwyn.esm\"")) << run.out;
  EXPECT_TRUE(Contains(run.err, "warning: " + (fs::path("..") / "Parameters.ini").string() +
                                    ": \"Vertex Color 5 (Deep Water) blue\" (txtVCLR5B) kept its "
                                    "value: the file ends before its record."))
      << run.err;
  EXPECT_TRUE(Contains(run.err, "(chkCreateVCLR) kept its value")) << run.err;
}

TEST_F(CliBasics, LoadOfAMissingFileCreatesItAndSaysSo) {
  CliOutcome run = RunCli({"--load", "--no-run"}, folder.path());
  EXPECT_EQ(run.status, 0);
  EXPECT_TRUE(Contains(run.err, "there was no Parameters.ini")) << run.err;
  EXPECT_EQ(fs::file_size(folder / "Parameters.ini"), 0u);
}

// Runs of the whole pipeline on a small test island: a square coast, a
// gentle interior slope and one steep 4 x 2 pixel block in the mountain layer
// whose two sides are too steep for the plugin format.
class CliRun : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    bitmaps_ = new ScratchFolder;
    using tools::WriteGrayBitmap;
    WriteGrayBitmap(*bitmaps_ / "coast.bmp", [](int x, int y) {
      int d = std::max(std::abs(x - 1664), std::abs(y - 1664));
      return std::clamp(255 - (d - 600) / 4, 0, 240);
    });
    WriteGrayBitmap(*bitmaps_ / "interior.bmp", [](int x, int) { return x * 255 / 3327; });
    WriteGrayBitmap(*bitmaps_ / "mountain.bmp", [](int x, int y) {
      return x >= 1000 && x < 1004 && y >= 2000 && y < 2002 ? 255 : 0;
    });
  }
  static void TearDownTestSuite() {
    delete bitmaps_;
    bitmaps_ = nullptr;
  }

  void SetUp() override { LinkBitmapsInto(folder.path()); }

  static void LinkBitmapsInto(const fs::path& target) {
    for (const char* name : {"coast.bmp", "interior.bmp", "mountain.bmp"})
      testing::LinkFile(*bitmaps_ / name, target / name);
  }

  ScratchFolder folder;
  static ScratchFolder* bitmaps_;
};

ScratchFolder* CliRun::bitmaps_ = nullptr;

TEST_F(CliRun, DefaultRunReportsWhatTheWindowShows) {
  CliOutcome run = RunCli({"--timings"}, folder.path());
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_TRUE(run.out.starts_with("Loading height bitmaps\n")) << run.out;
  EXPECT_TRUE(Contains(run.out,
                       "Finished! You may now copy Brackwyn.esm and Brackwyn.esp to you "
                       "Morrowind\\Data Files folder.\n"))
      << run.out;
  std::size_t at = run.out.find("Procedure execution times:\n");
  ASSERT_NE(at, std::string::npos) << run.out;
  for (std::string_view stage : {"InitializeVariables", "CreatePalette", "LoadElevation",
                                 "ProcessElevation", "CreateVHGT", "CreateVCLR", "CreateESP"}) {
    std::size_t line = run.out.find("  " + std::string(stage) + " - 0:0:", at);
    EXPECT_NE(line, std::string::npos) << stage;
    at = std::max(at, line);
  }
  EXPECT_TRUE(Contains(run.out,
                       "Vertex height clipping: 4 reports, at (1000, 2000), (1004, 2000), "
                       "(1000, 2001), (1004, 2001) (pixel coordinates"))
      << run.out;
  EXPECT_TRUE(Contains(run.out, "The whole report is in clipping-report.txt.\n")) << run.out;
  EXPECT_EQ(ReadText(folder / "clipping-report.txt"),
            "x: 1000 y: 2000\r\nx: 1004 y: 2000\r\nx: 1000 y: 2001\r\nx: 1004 y: 2001\r\n");
  EXPECT_FALSE(Contains(run.out, "Objects placed"));
  EXPECT_TRUE(Contains(run.out, "Stage durations:\n  InitializeVariables")) << run.out;
  EXPECT_TRUE(Contains(run.out, "  Total ")) << run.out;
  EXPECT_EQ(FolderContents(folder.path()),
            (std::vector<std::string>{"Brackwyn.esm", "Brackwyn.esp", "Brackwyn.lock",
                                      "clipping-report.txt", "coast.bmp", "interior.bmp",
                                      "mountain.bmp"}));
}

TEST_F(CliRun, SavedSettingsLoadedInAFreshRunMakeTheSamePlugin) {
  CliOutcome first = RunCli({"--set", "txtESP=Island.esp", "--set", "txtScaleMountain=4000",
                             "--set", "txtVCLR3G=200", "--set", "chkCreateVCLR=0", "--save"},
                            folder.path());
  ASSERT_EQ(first.status, 0) << first.err;
  EXPECT_TRUE(Contains(first.out, "copy Brackwyn.esm and Island.esp")) << first.out;
  std::vector<std::uint8_t> plugin = ReadBytes(folder / "Island.esp");
  fs::remove(folder / "Island.esp");

  CliOutcome second = RunCli({"--load"}, folder.path());
  ASSERT_EQ(second.status, 0) << second.err;
  EXPECT_EQ(second.err, "");
  EXPECT_TRUE(ReadBytes(folder / "Island.esp") == plugin);
  EXPECT_FALSE(fs::exists(folder / "Brackwyn.esp"));

  CliOutcome defaults = RunCli({"--set", "txtESP=Default.esp"}, folder.path());
  ASSERT_EQ(defaults.status, 0) << defaults.err;
  EXPECT_FALSE(ReadBytes(folder / "Default.esp") == plugin);  // the loaded settings mattered
}

TEST_F(CliRun, WritesThePreviewAndInspectsThePlugin) {
  CliOutcome run = RunCli({"--preview", "preview.png"}, folder.path());
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(Contains(run.out, "Wrote the preview picture to ")) << run.out;
  std::vector<std::uint8_t> png = ReadBytes(folder / "preview.png");
  ASSERT_GT(png.size(), 24u);
  EXPECT_EQ(std::string(png.begin() + 1, png.begin() + 4), "PNG");
  EXPECT_EQ(png[18] * 256 + png[19], 1664);  // IHDR width

  CliOutcome inspect = RunCli({"inspect", "Brackwyn.esp", "--image", "land.png"}, folder.path());
  ASSERT_EQ(inspect.status, 0) << inspect.err;
  EXPECT_TRUE(Contains(inspect.out, "\n  CELL 2704\n  LAND 2704\n  TES3 1\n")) << inspect.out;
  EXPECT_TRUE(
      Contains(inspect.out, "Exterior cells with land: 2704, grid X -26 to 25, Y -26 to 25"))
      << inspect.out;
  EXPECT_TRUE(fs::exists(folder / "land.png"));

  std::vector<std::uint8_t> plugin = ReadBytes(folder / "Brackwyn.esp");
  std::ofstream(folder / "cut.esp", std::ios::binary)
      .write(reinterpret_cast<const char*>(plugin.data()), 20'406);
  CliOutcome cut = RunCli({"inspect", "cut.esp"}, folder.path());
  EXPECT_EQ(cut.status, 1);
  EXPECT_TRUE(Contains(cut.err, "the file ends at byte 20406, inside the LAND record at byte 406"))
      << cut.err;
}

TEST_F(CliRun, WorksInTheFolderGivenWithC) {
  ScratchFolder elsewhere;
  WriteText(folder / "Parameters.ini", "");
  CliOutcome run = RunCli({"-C", folder.path().string(), "--set", "txtESP=There.esp", "--save"},
                          elsewhere.path());
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(fs::exists(folder / "There.esp"));
  EXPECT_TRUE(fs::exists(folder / "clipping-report.txt"));
  EXPECT_EQ(fs::file_size(folder / "Parameters.ini"), 5248u);
  EXPECT_TRUE(FolderContents(elsewhere.path()).empty());
}

// On Windows these reach the system as UTF-16, whatever the code page.
TEST_F(CliRun, FolderAndFileNamesBeyondAsciiWork) {
  fs::path world = folder.path() / PathFromUtf8("W\xc3\xb6rld-\xd0\xb6");
  fs::create_directory(world);
  LinkBitmapsInto(world);
  CliOutcome run =
      RunCli({"-C", Utf8FromPath(world), "--set", "txtESP=Insel-\xc3\xa9.esp"}, folder.path());
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(Contains(run.out, "copy Brackwyn.esm and Insel-\xc3\xa9.esp")) << run.out;
  EXPECT_TRUE(fs::exists(world / PathFromUtf8("Insel-\xc3\xa9.esp")));
}

// The lock is held by an open of Brackwyn.lock in this process: the runner
// sees what a second run in the same folder would see.
TEST_F(CliRun, RefusesAtOnceWhileAnotherRunHoldsTheFolder) {
  WriteText(folder / "Brackwyn.esp", "the previous plugin");
  for (std::string_view name : kWorkFileNames)
    WriteText(folder / name, "the other run's");
  std::optional<FolderLock> other = FolderLock::TryTake(folder.path());
  ASSERT_TRUE(other);
  auto start = std::chrono::steady_clock::now();
  CliOutcome run = RunCli({}, folder.path());
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(Contains(run.err, "Another run is using the folder")) << run.err;
  EXPECT_EQ(ReadText(folder / "Brackwyn.esp"), "the previous plugin");
  for (std::string_view name : kWorkFileNames)
    EXPECT_EQ(ReadText(folder / name), "the other run's");

  other.reset();
  EXPECT_EQ(RunCli({}, folder.path()).status, 0);
  EXPECT_FALSE(AnyWorkFile(folder.path()));
}

TEST_F(CliRun, MissingBitmapFailsNamingTheFileAndLeavesNoPlugin) {
  CliOutcome run = RunCli({"--set", "txtBitmapInterior=hills.bmp"}, folder.path());
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(Contains(run.err, "hills.bmp")) << run.err;
  EXPECT_FALSE(fs::exists(folder / "Brackwyn.esp"));
  EXPECT_FALSE(AnyWorkFile(folder.path()));
}

// Every regular file of the folder and its bytes, through links; the lock
// file aside, which any run may create.
std::map<std::string, std::vector<std::uint8_t>> Snapshot(const fs::path& folder) {
  std::map<std::string, std::vector<std::uint8_t>> files;
  for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
    std::string name = entry.path().filename().string();
    if (name != kFolderLockFileName && fs::is_regular_file(entry.path()))
      files[name] = ReadBytes(entry.path());
  }
  return files;
}

// A run whose output would destroy one of its inputs or another output is
// refused naming both, and leaves every file as it was.
struct RefusedRun {
  const char* label;
  std::vector<std::string> arguments;  // "{folder}" stands for the folder's absolute path
  std::vector<std::string> named;
};

class CliRefusedOutput : public CliRun, public ::testing::WithParamInterface<RefusedRun> {};

TEST_P(CliRefusedOutput, FailsNamingBothFilesAndChangesNothing) {
  const RefusedRun& c = GetParam();
  WriteText(folder / "Brackwyn.esp", "the previous plugin");
  WriteText(folder / "Brackwyn.esm", "the master");
  WriteText(folder / "objects.csv", "ID,Bitmap,Var,Base,Top\nTree,dens.bmp,10,1,1\n");
  WriteText(folder / "textures.csv", "not read: the run stops before");
  // Refused before they are read: what they hold does not matter.
  WriteText(folder / "dens.bmp", "a density bitmap");
  WriteText(folder / "Brackwyn.esp.brackwyn-partial", "a bitmap named like the temporary file");
  std::vector<std::string> arguments;
  for (std::string argument : c.arguments) {
    if (std::size_t at = argument.find("{folder}"); at != std::string::npos)
      argument.replace(at, 8, Utf8FromPath(fs::absolute(folder.path())));
    arguments.push_back(argument);
  }
  if (std::find(arguments.begin(), arguments.end(), "--save") != arguments.end()) {
    std::vector<std::string> save = arguments;
    save.push_back("--no-run");
    ASSERT_EQ(RunCli(save, folder.path()).status, 0);
  }
  auto before = Snapshot(folder.path());
  CliOutcome run = RunCli(arguments, folder.path());
  EXPECT_EQ(run.status, 1) << run.out;
  for (const std::string& name : c.named)
    EXPECT_TRUE(Contains(run.err, name)) << name << " not in: " << run.err;
  EXPECT_TRUE(Snapshot(folder.path()) == before) << "a file changed";
  EXPECT_FALSE(AnyWorkFile(folder.path()));
}

INSTANTIATE_TEST_SUITE_P(
    Outputs, CliRefusedOutput,
    ::testing::Values(
        RefusedRun{"PluginOverCoast",
                   {"--set", "txtESP=coast.bmp"},
                   {"plugin file (txtESP) \"", "coast height bitmap (txtBitmapCoast) \""}},
        RefusedRun{"PluginOverInterior",
                   {"--set", "txtESP=interior.bmp"},
                   {"plugin file", "interior height bitmap"}},
        RefusedRun{"PluginOverObjectIndex",
                   {"--set", "chkCreateObjects=1", "--set", "txtESP=objects.csv"},
                   {"plugin file", "object index file (txtObjectIndex)"}},
        RefusedRun{"PluginOverTextureIndex",
                   {"--set", "chkCreateTextures=1", "--set", "txtESP=textures.csv"},
                   {"plugin file", "texture index file (txtTextureIndex)"}},
        RefusedRun{"PluginOverDensityBitmap",
                   {"--set", "chkCreateObjects=1", "--set", "txtESP=dens.bmp"},
                   {"plugin file", "density bitmap of object kind 1 (\"Tree\", line 2)"}},
        RefusedRun{"PluginOverSavedParameters",
                   {"--set", "txtESP=Parameters.ini", "--save"},
                   {"plugin file", "parameter file"}},
        RefusedRun{"PluginOverTheMasterItWouldCreate",
                   {"--set", "txtESM=New.esm", "--set", "txtESP={folder}/New.esm"},
                   {"plugin file", "master file (txtESM) \"New.esm\""}},
        RefusedRun{"PluginAsPlacementWorkFile",
                   {"--set", "txtESP=Base.dat"},
                   {"plugin file", "work file \"Base.dat\""}},
        RefusedRun{"PluginAsReferencesWorkFile",
                   {"--set", "txtESP=FRMR.dat"},
                   {"plugin file", "work file \"FRMR.dat\""}},
        RefusedRun{"PluginAsClippingReport",
                   {"--set", "txtESP=clipping-report.txt"},
                   {"plugin file", "clipping report \""}},
        RefusedRun{"InputAsThePluginsTemporaryFile",
                   {"--set", "txtBitmapCoast=Brackwyn.esp.brackwyn-partial"},
                   {"temporary file of the plugin file", "coast height bitmap"}},
        RefusedRun{"PreviewOverCoast",
                   {"--preview", "coast.bmp"},
                   {"preview picture (--preview)", "coast height bitmap"}},
        RefusedRun{"PreviewOverPlugin",
                   {"--preview", "Brackwyn.esp"},
                   {"preview picture (--preview)", "plugin file (txtESP)"}},
        RefusedRun{"PreviewOverMaster",
                   {"--preview", "Brackwyn.esm"},
                   {"preview picture (--preview)", "master file (txtESM)"}},
        RefusedRun{"PreviewOverParameters",
                   {"--preview", "Parameters.ini"},
                   {"preview picture (--preview)", "parameter file"}},
        RefusedRun{"ImageOverInspectedPlugin",
                   {"inspect", "Brackwyn.esp", "--image", "Brackwyn.esp"},
                   {"picture (--image)", "plugin \""}},
        RefusedRun{"PluginOverHeightmap",
                   {"--set", "chkHeightmap=1", "--set", "txtHeightmap=dens.bmp", "--set",
                    "txtESP=dens.bmp"},
                   {"plugin file", "heightmap file (txtHeightmap) \""}},
        RefusedRun{"HeightmapOverExportedPlugin",
                   {"export", "Brackwyn.esp", "--heightmap", "./Brackwyn.esp"},
                   {"heightmap (--heightmap)", "plugin \""}},
        RefusedRun{"HeightmapOverParameters",
                   {"export", "Brackwyn.esp", "--heightmap", "Parameters.ini"},
                   {"heightmap (--heightmap)", "parameter file"}}),
    [](const auto& info) { return std::string(info.param.label); });

#ifndef _WIN32
// Something other than a file at the plugin's name is refused; a link at a
// work file's or the temporary file's name is replaced and its target kept.
TEST_F(CliRun, RefusesPipesAndDevicesAndKeepsWhatLinksPointTo) {
  ASSERT_EQ(::mkfifo((folder / "pipe").c_str(), 0644), 0);
  std::vector<std::string> notFiles = {"pipe"};
  if (::geteuid() == 0 && ::mknod((folder / "null").c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0)
    notFiles.push_back("null");
  for (const std::string& name : notFiles) {
    CliOutcome run = RunCli({"--set", "txtESP=" + name}, folder.path());
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Contains(run.err, "\"" + name + "\": something other than a file")) << run.err;
    EXPECT_FALSE(fs::is_regular_file(folder / name));
  }

  ScratchFolder outside;
  WriteText(folder / "objects.csv", "ID,Bitmap,Var,Base,Top\nTree,mountain.bmp,10,1,1\n");
  for (const char* name :
       {"Base.dat", "Top.dat", "Objects.dat", "FRMR.dat", "Brackwyn.esp.brackwyn-partial"}) {
    WriteText(outside / name, "kept");
    fs::create_symlink(outside / name, folder / name);
  }
  CliOutcome run = RunCli({"--set", "chkCreateObjects=1"}, folder.path());
  ASSERT_EQ(run.status, 0) << run.err;
  for (const fs::directory_entry& entry : fs::directory_iterator(outside.path()))
    EXPECT_EQ(ReadText(entry.path()), "kept") << entry.path();
  EXPECT_FALSE(fs::is_symlink(folder / "Brackwyn.esp"));
  EXPECT_FALSE(AnyWorkFile(folder.path()));
}
#endif

struct Interruption {
  const char* label;
  std::vector<int> signals;
  std::size_t freeBytes;  // room left in the output pipe: where the runner blocks
  int status;
  bool newPlugin;

  friend void PrintTo(const Interruption& interruption, std::ostream* out) {
    *out << interruption.label;
  }
};

class CliInterrupt : public CliRun, public ::testing::WithParamInterface<Interruption> {};

// The runner's standard output is a pipe that the test has filled, so the
// runner blocks in a write at a known point until the test has sent the
// signals and starts reading: with no room, in its first progress line,
// inside the elevation stage; with some room, in the summary, after the new
// plugin is in place. That makes the moment of the interruption certain
// instead of a race with a fast run.
TEST_P(CliInterrupt, KeepsThePreviousPluginUntilTheNewOneIsInPlaceAndNoWorkFiles) {
#ifdef _WIN32
  GTEST_SKIP() << "POSIX only: stops the runner in a write to a pipe watched through /proc and "
                  "sends it a signal; Windows has neither";
#else
  const Interruption& c = GetParam();
  const std::string previous = "the previous plugin";
  WriteText(folder / "Brackwyn.esp", previous);
  for (std::string_view name : kWorkFileNames)
    WriteText(folder / name, "left from an earlier run");

  // One page of pipe: small writes fill its free end, so the room is exact.
  int pipeFds[2];
  ASSERT_EQ(::pipe2(pipeFds, O_CLOEXEC), 0);
  ASSERT_EQ(::fcntl(pipeFds[1], F_SETPIPE_SZ, 4096), 4096);
  std::string filler(4096 - c.freeBytes, 'f');
  ASSERT_EQ(::write(pipeFds[1], filler.data(), filler.size()), static_cast<ssize_t>(filler.size()));
  std::size_t filled = filler.size();

  ScratchFolder output;
  testing::RunningCli cli({"--timings"}, folder.path(), pipeFds[1], output / "err");
  ::close(pipeFds[1]);
  auto ready = [&] {
    return cli.blockedWritingStdout() &&
           (!c.newPlugin || ReadText(folder / "Brackwyn.esp") != previous);
  };
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
  while (!ready() && !cli.exited() && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  ASSERT_TRUE(ready()) << ReadText(output / "err");
  for (int signal : c.signals) {
    ASSERT_EQ(::kill(cli.pid(), signal), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }

  std::string out;
  char buffer[4096];
  for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;)
    out.append(buffer, static_cast<std::size_t>(n));
  ::close(pipeFds[0]);
  EXPECT_EQ(cli.wait(), c.status);

  out.erase(0, filled);
  std::string err = ReadText(output / "err");
  if (c.newPlugin) {
    EXPECT_TRUE(Contains(out, "Finished!")) << out;
    EXPECT_NE(ReadText(folder / "Brackwyn.esp"), previous);
    EXPECT_EQ(err, "");
  } else {
    EXPECT_EQ(ReadText(folder / "Brackwyn.esp"), previous);
    if (c.signals.size() == 1) {  // a second one ends the runner inside that write
      EXPECT_TRUE(out.starts_with("Loading height bitmaps\n")) << out;
      EXPECT_TRUE(Contains(err, "interrupted")) << err;
    }
  }
  EXPECT_FALSE(AnyWorkFile(folder.path()));
  EXPECT_FALSE(fs::exists(folder / "Brackwyn.esp.brackwyn-partial"));
#endif
}

#ifndef _WIN32
constexpr int kHangUp = SIGHUP;
#else
constexpr int kHangUp = 1;  // Windows has no SIGHUP; the test is skipped there
#endif

INSTANTIATE_TEST_SUITE_P(
    Signals, CliInterrupt,
    ::testing::Values(Interruption{"CtrlC", {SIGINT}, 0, 130, false},
                      Interruption{"Terminate", {SIGTERM}, 0, 143, false},
                      Interruption{"HangUp", {kHangUp}, 0, 129, false},
                      Interruption{"SecondCtrlCEndsAtOnce", {SIGINT, SIGINT}, 0, 130, false},
                      Interruption{"AfterThePluginIsInPlace", {SIGINT}, 512, 0, true}),
    [](const auto& info) { return info.param.label; });

}  // namespace
}  // namespace brackwyn
