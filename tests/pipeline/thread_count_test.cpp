// Every thread count writes the same plugin, also when live settings change
// while rows and cells are being prepared ahead on the second thread.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/thread_count.hpp"
#include "example_objects.hpp"
#include "gray_bitmap_writer.hpp"
#include "objects/object_world.hpp"
#include "pipeline/pipeline.hpp"
#include "support/test_support.hpp"

namespace brackwyn {
namespace {

TEST(ThreadCount, FollowsTheMachineUnlessAWholeNumberOverridesIt) {
  struct Case {
    const char* setting;
    unsigned hardware;
    int expected;
  } cases[] = {{nullptr, 2, 2}, {nullptr, 0, 1}, {"1", 8, 1}, {"3", 2, 3},    {"0", 2, 2},
               {"-2", 4, 4},    {"2x", 4, 4},    {"", 4, 4},  {"100", 2, 64}, {nullptr, 512, 64}};
  for (const Case& c : cases)
    EXPECT_EQ(ThreadCountFor(c.setting, c.hardware), c.expected)
        << (c.setting ? c.setting : "unset") << " " << c.hardware;
}

// A setting edited at the yield `yieldsLater` yields after the caption first
// contains `whenCaptionHas`.
struct LiveEdit {
  const char* whenCaptionHas;
  int yieldsLater;
  const char* control;
  const char* text;  // null: set the check box state instead
  int state = 0;
};

class EditingFrontEnd : public FrontEnd {
 public:
  EditingFrontEnd(WindowModel& window, std::vector<LiveEdit> edits)
      : window_(window), edits_(std::move(edits)) {}

  bool processEvents() override {
    if (next_ == edits_.size() ||
        window_.caption().find(edits_[next_].whenCaptionHas) == std::string::npos)
      return false;
    if (countdown_ < 0)
      countdown_ = edits_[next_].yieldsLater;
    if (countdown_-- > 0)
      return false;
    const LiveEdit& edit = edits_[next_++];
    if (edit.text != nullptr)
      window_.setText(edit.control, edit.text);
    else
      window_.setState(edit.control, edit.state);
    countdown_ = -1;
    return true;
  }
  void showMessage(std::string_view, std::string_view) override {}
  bool allApplied() const { return next_ == edits_.size(); }

 private:
  WindowModel& window_;
  std::vector<LiveEdit> edits_;
  std::size_t next_ = 0;
  int countdown_ = -1;
};

struct World {
  const char* name;
  const char* objectIndex;  // null: objects off
  testing::Box box;
  std::vector<LiveEdit> edits;
  bool normals = false;
};

class SameBytesForEveryThreadCount : public ::testing::TestWithParam<World> {
 protected:
  static void SetUpTestSuite() {
    world_ = new testing::ScratchFolder;
    using tools::WriteGrayBitmap;
    WriteGrayBitmap(*world_ / "coast.bmp", [](int x, int y) { return (x / 5 + y / 3) % 256; });
    WriteGrayBitmap(*world_ / "interior.bmp", [](int x, int y) { return (x ^ y) / 13 % 256; });
    WriteGrayBitmap(*world_ / "mountain.bmp", [](int x, int y) { return (x * y) % 251; });
    tools::WriteExampleObjects(world_->path(), [](int x, int y) {
      return tools::ExampleGround{((x * 7 + y * 13) % 100) / 100.0 - 0.05, ((x ^ y) % 256) / 255.0,
                                  ((x / 9 + y / 11) % 10) / 10.0, ((x * 31 + y * 17) % 97) / 97.0};
    });
    WriteGrayBitmap(*world_ / "dense.bmp", [](int, int) { return 255; });
    std::ofstream index(*world_ / "dense.csv", std::ios::binary);
    index << "ID,Bitmap,Scale,Base,Top\r\n";
    for (int kind = 1; kind <= 12; ++kind)
      index << "dense_" << kind << ",dense.bmp,20,9,9\r\n";
  }
  static void TearDownTestSuite() {
    delete world_;
    world_ = nullptr;
  }

  struct Output {
    std::vector<std::uint8_t> plugin;
    std::vector<std::uint8_t> references;
    std::vector<std::int32_t> counts;
    std::vector<PlacedObject> placed;  // what the preview draws
  };

  static Output Run(const World& world, const char* threads) {
    testing::ThreadsSetting setting(threads);
    testing::TestRun run;
    for (const auto& entry : std::filesystem::directory_iterator(world_->path()))
      testing::LinkFile(entry.path(), run.folder.path() / entry.path().filename());
    EditingFrontEnd frontEnd(run.window, world.edits);
    run.window.setFrontEnd(&frontEnd);
    if (world.objectIndex != nullptr) {
      testing::SetObjectSettings(run.window, "64", world.box);
      run.window.setText("txtObjectIndex", world.objectIndex);
      run.window.setText("txtObjectSeed", "7");
    }
    run.window.setState("chkCreateNormals", world.normals ? 1 : 0);
    RunResult result = RunPipeline(run.context);
    EXPECT_EQ(result.outcome, RunOutcome::Finished) << result.message;
    EXPECT_TRUE(frontEnd.allApplied());
    Output output{testing::ReadBytes(run.folder / "Brackwyn.esp"), {}, {}, {}};
    if (world.objectIndex != nullptr)
      output.references = testing::ReadBytes(run.folder / "FRMR.dat");
    output.counts.assign(run.state.objectCounts.begin(), run.state.objectCounts.end());
    output.placed = run.state.placedObjects;
    return output;
  }

  static testing::ScratchFolder* world_;
};

testing::ScratchFolder* SameBytesForEveryThreadCount::world_ = nullptr;

// Three threads: placement then also makes the random bytes on a thread of
// their own, which two do not.
TEST_P(SameBytesForEveryThreadCount, PluginReferencesAndCounts) {
  Output one = Run(GetParam(), "1");
  for (const char* threads : {"2", "3"}) {
    SCOPED_TRACE(std::string(threads) + " threads");
    Output more = Run(GetParam(), threads);
    EXPECT_TRUE(one.plugin == more.plugin);
    EXPECT_TRUE(one.references == more.references);
    EXPECT_EQ(one.counts, more.counts);
    EXPECT_TRUE(one.placed == more.placed);
  }
  if (GetParam().objectIndex != nullptr) {
    EXPECT_GT(one.plugin.size(), 2704u * 29784u);  // some references were written
  }
}

constexpr testing::Box kDenseBox{1500, 1500, 1579, 1559};

INSTANTIATE_TEST_SUITE_P(
    Runs, SameBytesForEveryThreadCount,
    ::testing::Values(
        World{"DefaultRun", nullptr, {}, {}},
        World{"ExampleObjectsWithNormals", "objects.csv", {900, 1000, 1299, 1229}, {}, true},
        World{"DenseWorld", "dense.csv", kDenseBox, {}},
        // Divisor and columns changed in the middle of rows and between them,
        // objects grayed then off in the middle of the cells.
        World{"DenseWorldWithLiveEdits",
              "dense.csv",
              kDenseBox,
              {{"Creating objects - 1510/", 37, "txtObjectDivisor", "20"},
               {"Creating objects - 1511/", 0, "txtConfineObjectsX1", "1510"},
               {"Creating objects - 1530/", 50, "txtObjectDivisor", "64"},
               // just before cells 1219 and 1220, and 1271 and 1272, which hold
               // the objects, while the cells ahead hold them too
               {"Writing Brackwyn.ESP - 45%", 0, "chkCreateObjects", nullptr, 2},
               {"Writing Brackwyn.ESP - 46%", 24, "chkCreateObjects", nullptr, 0}}}),
    [](const ::testing::TestParamInfo<World>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace brackwyn
