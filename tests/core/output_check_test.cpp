#include "core/output_check.hpp"

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <gtest/gtest.h>

#include <fstream>

#include "core/replacing_file.hpp"
#include "core/run_error.hpp"
#include "support/test_support.hpp"

namespace brackwyn {
namespace {

namespace fs = std::filesystem;

void WriteText(const fs::path& path, std::string_view text) {
  std::ofstream(path, std::ios::binary) << text;
}

std::string ReadText(const fs::path& path) {
  std::vector<std::uint8_t> bytes = testing::ReadBytes(path);
  return {bytes.begin(), bytes.end()};
}

// The folder of every case holds "in.bmp" (an input) and "other.txt"; each
// case may add a file, then names one output and expects it refused with a
// message holding `named`, or accepted when `named` is empty.
struct CheckCase {
  const char* label;
  void (*prepare)(const fs::path& folder);
  const char* output;  // written beside its name and renamed over it
  const char* named;
};

void Nothing(const fs::path&) {}

const CheckCase kCases[] = {
    {"a new file", Nothing, "out.esp", ""},
    {"an existing file that is no input", Nothing, "other.txt", ""},
    {"the input itself", Nothing, "in.bmp", "the input \""},
    {"the input through another path", Nothing, "sub/../in.bmp", "the input \""},
    {"an output whose temporary name is the input's",
     [](const fs::path& folder) { fs::rename(folder / "in.bmp", folder / "p.brackwyn-partial"); },
     "p", "temporary file of the picture"},
    {"the other output", Nothing, "work.dat", "the work file"},
    {"a folder", [](const fs::path& folder) { fs::create_directory(folder / "dir"); }, "dir",
     "something other than a file"},
    {"a hard link of the input",
     [](const fs::path& folder) { fs::create_hard_link(folder / "in.bmp", folder / "hard.bmp"); },
     "hard.bmp", "the input \""},
#ifndef _WIN32
    {"a link to the input, which stays",
     [](const fs::path& folder) { fs::create_symlink("in.bmp", folder / "link.bmp"); }, "link.bmp",
     ""},
    {"a pipe", [](const fs::path& folder) { ::mkfifo((folder / "pipe").c_str(), 0644); }, "pipe",
     "something other than a file"},
#else
    {"the input in other capitals", Nothing, "IN.BMP", "the input \""},
#endif
};

class OutputCheckCases : public ::testing::TestWithParam<CheckCase> {};

TEST_P(OutputCheckCases, RefusesOutputsThatAreInputsOrOtherOutputsOrNoFiles) {
  const CheckCase& c = GetParam();
  testing::ScratchFolder folder;
  fs::create_directory(folder / "sub");
  WriteText(folder / "in.bmp", "input");
  WriteText(folder / "other.txt", "other");
  c.prepare(folder.path());
  fs::path input =
      fs::exists(folder / "in.bmp") ? folder / "in.bmp" : folder / "p.brackwyn-partial";
  OutputCheck check;
  check.AddInput("input", input);
  check.AddOutput("work file", folder / "work.dat");
  check.AddReplacedOutput("picture", folder / c.output);
  if (std::string_view(c.named).empty()) {
    EXPECT_NO_THROW(check.Check());
    return;
  }
  try {
    check.Check();
    FAIL() << "accepted";
  } catch (const RunError& error) {
    std::string message = error.what();
    EXPECT_NE(message.find(c.named), std::string::npos) << message;
    EXPECT_NE(message.find(fs::path(c.output).filename().string()), std::string::npos) << message;
  }
  EXPECT_EQ(ReadText(input), "input");
}

INSTANTIATE_TEST_SUITE_P(Files, OutputCheckCases, ::testing::ValuesIn(kCases),
                         [](const auto& info) {
                           std::string name;
                           for (char c : std::string(info.param.label))
                             name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                           return name;
                         });

// A master the run will create does not exist yet: the plugin given its name
// by an absolute path is refused all the same.
TEST(OutputCheck, FilesNotMadeYetAreComparedByTheirFullPath) {
  testing::ScratchFolder folder;
  OutputCheck check;
  check.AddInput("master file", folder / "sub" / ".." / "M.esm");
  check.AddReplacedOutput("plugin file", fs::absolute(folder / "M.esm"));
  EXPECT_THROW(check.Check(), RunError);
}

#ifndef _WIN32
// Links at the target's name and at its temporary name are replaced; what they
// point to stays as it was.
TEST(ReplacingFile, ReplacesLinksAndLeavesTheirTargets) {
  testing::ScratchFolder folder;
  WriteText(folder / "target-of-name", "kept");
  WriteText(folder / "target-of-temporary", "kept too");
  fs::create_symlink(folder / "target-of-name", folder / "out.esp");
  fs::create_symlink(folder / "target-of-temporary", folder / "out.esp.brackwyn-partial");
  {
    ReplacingFile file(folder / "out.esp", "plugin");
    file.append("new", 3);
    file.commit();
  }
  EXPECT_FALSE(fs::is_symlink(folder / "out.esp"));
  EXPECT_EQ(ReadText(folder / "out.esp"), "new");
  EXPECT_FALSE(fs::exists(fs::symlink_status(folder / "out.esp.brackwyn-partial")));
  EXPECT_EQ(ReadText(folder / "target-of-name"), "kept");
  EXPECT_EQ(ReadText(folder / "target-of-temporary"), "kept too");
}
#endif

}  // namespace
}  // namespace brackwyn
