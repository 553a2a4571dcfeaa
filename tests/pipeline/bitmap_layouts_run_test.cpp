// Whole runs on height bitmaps in every layout the reader takes, and on files
// it must refuse: the plugin is that of the standard 24-bit file, or the run
// stops at once naming the file and keeps the previous plugin.
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <random>

#include "pipeline/pipeline.hpp"
#include "support/bitmap_layouts.hpp"
#include "support/test_support.hpp"

namespace brackwyn {
namespace {

using testing::BitmapFormat;
using testing::ReadBytes;

int Coast(int x, int y) {
  return (x * 5 + y * 3) % 256;
}

void WriteFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

// Runs the pipeline with the coast bitmap `coast.bmp` and two standard others.
class BitmapLayoutRun : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    shared_ = new testing::ScratchFolder;
    WriteFile(*shared_ / "interior.bmp",
              testing::BitmapBytes({}, [](int x, int) { return x % 200; }));
    WriteFile(*shared_ / "mountain.bmp",
              testing::BitmapBytes({}, [](int, int y) { return y % 7; }));
    testing::TestRun run;
    WriteFile(run.folder / "coast.bmp", testing::BitmapBytes({}, Coast));
    reference_ = new std::vector<std::uint8_t>(RunWith(run));
  }
  static void TearDownTestSuite() {
    delete shared_;
    delete reference_;
  }

  static std::vector<std::uint8_t> RunWith(testing::TestRun& run) {
    for (const char* name : {"interior.bmp", "mountain.bmp"})
      testing::LinkFile(*shared_ / name, run.folder / name);
    RunResult result = RunPipeline(run.context);
    EXPECT_EQ(result.outcome, RunOutcome::Finished) << result.message;
    return ReadBytes(run.folder / "Brackwyn.esp");
  }

  static testing::ScratchFolder* shared_;
  static std::vector<std::uint8_t>* reference_;
};

testing::ScratchFolder* BitmapLayoutRun::shared_ = nullptr;
std::vector<std::uint8_t>* BitmapLayoutRun::reference_ = nullptr;

TEST_F(BitmapLayoutRun, EveryAcceptedLayoutGivesThePluginOfTheStandardFile) {
  struct Case {
    const char* label;
    BitmapFormat format;
  } cases[] = {
      {"32-bit", {32, false, 40, false, 0}},
      {"32-bit bit fields, V5 header, top-down", {32, true, 124, true, 0}},
      {"24-bit, V4 header, top-down", {24, true, 108, false, 0}},
      {"8-bit, 256 gray entries", {8, false, 40, false, 0}},
  };
  for (const Case& c : cases) {
    testing::TestRun run;
    WriteFile(run.folder / "coast.bmp", testing::BitmapBytes(c.format, Coast));
    EXPECT_TRUE(RunWith(run) == *reference_) << c.label;
  }
}

struct Refusal {
  const char* label;
  const char* reason;

  friend void PrintTo(const Refusal& refusal, std::ostream* out) { *out << refusal.label; }
};

class BitmapRefusalRun : public BitmapLayoutRun, public ::testing::WithParamInterface<Refusal> {
 protected:
  void makeCoast(const std::filesystem::path& path) {
    std::string label = GetParam().label;
    if (label == "RandomBytes") {
      std::vector<std::uint8_t> bytes(kBitmapStandardBytes);
      std::mt19937 random(9);
      for (std::uint8_t& b : bytes)
        b = static_cast<std::uint8_t>(random());
      WriteFile(path, bytes);
    } else if (label == "PngRenamed") {
      WriteFile(path,
                {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'});
    } else if (label == "Small") {
      std::vector<std::uint8_t> bytes = testing::BitmapBytes({}, Coast);
      tools::PutLe(&bytes[18], 2000, 4);
      tools::PutLe(&bytes[22], 2000, 4);
      bytes.resize(54 + 2000 * 6000);
      WriteFile(path, bytes);
    } else if (label == "Fifo") {
#ifdef _WIN32
      GTEST_SKIP() << "POSIX only: a named pipe in a folder; Windows keeps pipes apart";
#else
      ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0);
#endif
    } else if (label == "Rle") {
      std::vector<std::uint8_t> bytes = testing::BitmapBytes({8, false, 40, false, 0}, Coast);
      tools::PutLe(&bytes[30], 1, 4);
      WriteFile(path, bytes);
    } else if (label == "IndexBeyondPalette") {
      WriteFile(path, testing::BitmapBytes({8, false, 40, false, 200}, Coast));
    }
  }
};

TEST_P(BitmapRefusalRun, StopsAtOnceNamingTheFileAndKeepsThePreviousPlugin) {
  testing::TestRun run;
  const std::string previous = "the previous plugin";
  std::ofstream(run.folder / "Brackwyn.esp") << previous;
  makeCoast(run.folder / "coast.bmp");
  if (IsSkipped())
    return;
  for (const char* name : {"interior.bmp", "mountain.bmp"})
    testing::LinkFile(*shared_ / name, run.folder / name);

  auto start = std::chrono::steady_clock::now();
  RunResult result = RunPipeline(run.context);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
  EXPECT_EQ(result.outcome, RunOutcome::Failed);
  EXPECT_NE(result.message.find("(txtBitmapCoast) \""), std::string::npos) << result.message;
  EXPECT_NE(result.message.find("coast.bmp\": " + std::string(GetParam().reason)),
            std::string::npos)
      << result.message;
  std::vector<std::uint8_t> plugin = ReadBytes(run.folder / "Brackwyn.esp");
  EXPECT_EQ(std::string(plugin.begin(), plugin.end()), previous);
}

INSTANTIATE_TEST_SUITE_P(
    Bitmaps, BitmapRefusalRun,
    ::testing::Values(Refusal{"RandomBytes", "it is not a bitmap"},
                      Refusal{"PngRenamed", "it is a PNG picture, not a bitmap"},
                      Refusal{"Small", "it is 2000 x 2000 pixels"},
                      Refusal{"Fifo", "it is not a regular file"},
                      Refusal{"Rle", "it is RLE-compressed"},
                      Refusal{"IndexBeyondPalette",
                              "pixel (40, 0) uses colour 200, beyond its palette of 200 colours"}),
    [](const auto& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace brackwyn
