#include "cli/cli_options.hpp"

#include <gtest/gtest.h>

#include <sstream>

#include "cli/usage_error.hpp"
#include "support/test_support.hpp"

namespace brackwyn::cli {
namespace {

std::optional<CliOptions> Parse(std::vector<const char*> words, std::ostream& out) {
  words.insert(words.begin(), "brackwyn-cli");
  return ParseCommandLine(static_cast<int>(words.size()), words.data(), out);
}

TEST(CommandLine, ReadsEveryOption) {
  testing::ScratchFolder folder;
  std::string directory = folder.path().string();
  std::ostringstream out;
  std::optional<CliOptions> options =
      Parse({"--load", "--set", "txtESP=a.esp", "--set=chkCreateVCLR=0", "-C", directory.c_str(),
             "--save", "--no-run", "--timings"},
            out);
  ASSERT_TRUE(options);
  EXPECT_TRUE(options->load && options->save && options->noRun && options->timings);
  EXPECT_FALSE(options->list);
  EXPECT_FALSE(options->runs());
  EXPECT_EQ(options->directory, folder.path());
  ASSERT_EQ(options->changes.size(), 2u);
  EXPECT_EQ(options->changes[1].name, "chkCreateVCLR");
  EXPECT_TRUE(out.str().empty());
}

TEST(CommandLine, RunsUnlessToldOtherwise) {
  std::ostringstream out;
  EXPECT_TRUE(Parse({}, out)->runs());
  EXPECT_TRUE(Parse({"--save"}, out)->runs());
  EXPECT_FALSE(Parse({"--list"}, out)->runs());
}

TEST(CommandLine, SetTakesOneAssignmentPerOccurrence) {
  std::ostringstream out;
  EXPECT_THROW(Parse({"--set", "txtESP=a.esp", "txtESM=b.esm"}, out), UsageError);
}

struct Suggestion {
  const char* argument;
  const char* expected;

  friend void PrintTo(const Suggestion& suggestion, std::ostream* out) {
    *out << suggestion.argument;
  }
};

class UnknownArgument : public ::testing::TestWithParam<Suggestion> {};

TEST_P(UnknownArgument, SuggestsTheNearestOptionOrSetting) {
  EXPECT_EQ(SuggestForUnknownArgument(GetParam().argument), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Words, UnknownArgument,
    ::testing::Values(Suggestion{"--lod", "did you mean \"--load\"?"},
                      Suggestion{"--timing", "did you mean \"--timings\"?"},
                      Suggestion{"--norun", "did you mean \"--no-run\"?"},
                      Suggestion{"--txtESP=x.esp", "did you mean \"--set txtESP=x.esp\"?"},
                      Suggestion{"--chkCreateVCLR", "did you mean \"--set chkCreateVCLR=VALUE\"?"},
                      Suggestion{"txtesm=a.esm", "did you mean \"--set txtESM=a.esm\"?"}));

}  // namespace
}  // namespace brackwyn::cli
