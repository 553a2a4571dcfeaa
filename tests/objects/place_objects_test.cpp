#include "objects/place_objects.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "core/run_error.hpp"
#include "object_world.hpp"
#include "objects/object_counts_text.hpp"
#include "support/test_support.hpp"

namespace brackwyn {
namespace {

using testing::Box;
using testing::KindLine;

constexpr int kMargin = 130;  // beyond the reach of the largest square
constexpr int kLast = kSubCellGridSide - 1;

std::uint32_t Hash(int a, int b, int c) {
  std::uint64_t h =
      RandomStream::Mix(static_cast<std::uint64_t>(a) * 0x100000001B3ull ^
                        static_cast<std::uint64_t>(b) << 20 ^ static_cast<std::uint64_t>(c) << 40);
  return static_cast<std::uint32_t>(h >> 32);
}

struct Region {
  int u0, u1, v0, v1;

  static Region Around(Box box) {
    return {std::max(0, 8 * box.x1 - kMargin), std::min(kLast, 8 * box.x2 + 7 + kMargin),
            std::max(0, 8 * box.y1 - kMargin), std::min(kLast, 8 * box.y2 + 7 + kMargin)};
  }
  int width() const { return u1 - u0 + 1; }
  bool contains(int u, int v) const { return u >= u0 && u <= u1 && v >= v0 && v <= v1; }
};

struct ReferenceGrid {
  Region region;
  std::vector<std::uint8_t> bytes;

  explicit ReferenceGrid(Region r)
      : region(r), bytes(static_cast<std::size_t>(r.width()) * (r.v1 - r.v0 + 1), 0) {}
  std::uint8_t& at(int u, int v) {
    return bytes[static_cast<std::size_t>(v - region.v0) * region.width() + (u - region.u0)];
  }
};

struct ReferenceResult {
  ReferenceGrid base, top, objects;
  ObjectCounts counts{};
  std::uint64_t draws = 0;
};

// The placement exactly as the rules read, on byte grids in memory: a
// single-precision draw r, t = floor(256 r + 1), the density test in double
// precision, the choice floor(n r), squares tested and marked byte by byte.
ReferenceResult ReferencePlacement(const ObjectPalette& palette, const ObjectDensity& density,
                                   double divisor, Box box, std::int32_t seed) {
  Region region = Region::Around(box);
  ReferenceResult result{ReferenceGrid(region), ReferenceGrid(region), ReferenceGrid(region)};
  RandomStream random;
  random.seed(seed);
  auto blocked = [](ReferenceGrid& grid, int size, int sx, int sy) {
    int h = static_cast<int>(std::nearbyint(size / 2.0));
    for (int v = sy - h; v <= sy - h + size - 1; ++v)
      for (int u = sx - h; u <= sx - h + size - 1; ++u)
        if (u >= 0 && u <= kLast && v >= 0 && v <= kLast && grid.at(u, v) != 0)
          return true;
    return false;
  };
  auto mark = [](ReferenceGrid& grid, int size, int sx, int sy, int kind) {
    int h = static_cast<int>(std::nearbyint(size / 2.0));
    for (int v = sy - h; v <= sy - h + size - 1; ++v)
      for (int u = sx - h; u <= sx - h + size - 1; ++u)
        if (u >= 0 && u <= kLast && v >= 0 && v <= kLast)
          grid.at(u, v) = static_cast<std::uint8_t>(kind);
  };
  std::vector<int> candidates;
  for (int y = box.y1; y <= box.y2; ++y)
    for (int x = box.x1; x <= box.x2; ++x)
      for (int sy = 8 * y; sy <= 8 * y + 7; ++sy)
        for (int sx = 8 * x; sx <= 8 * x + 7; ++sx) {
          candidates.clear();
          for (int k = 1; k <= palette.kindCount(); ++k) {
            float r = random.next();
            double t = std::floor(256.0 * r + 1);
            if (static_cast<double>(density.at(k, x, y)) / divisor >= t)
              candidates.push_back(k);
          }
          if (candidates.empty())
            continue;
          float r = random.next();
          int c = candidates[static_cast<std::size_t>(std::floor(candidates.size() * double{r}))];
          const ObjectKind& kind = palette.kind(c);
          if (blocked(result.base, kind.baseSize, sx, sy) ||
              blocked(result.top, kind.topSize, sx, sy))
            continue;
          mark(result.base, kind.baseSize, sx, sy, c);
          mark(result.top, kind.topSize, sx, sy, c);
          result.objects.at(sx, sy) = static_cast<std::uint8_t>(c);
          ++result.counts[static_cast<std::size_t>(c)];
        }
  result.draws = random.position();
  return result;
}

// The grid file holds the reference grid inside its region and zeros
// everywhere else.
void ExpectGridFile(const std::filesystem::path& path, ReferenceGrid& expected) {
  const Region& r = expected.region;
  EXPECT_EQ(testing::ReadGridRegion(path, r.u0, r.u1, r.v0, r.v1), expected.bytes) << path;
  for (const auto& [offset, bytes] : testing::ReadDataRanges(path)) {
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      if (bytes[i] == 0)
        continue;
      std::uint64_t at = offset + i;
      int u = static_cast<int>(at % kSubCellRowBytes), v = static_cast<int>(at / kSubCellRowBytes);
      ASSERT_TRUE(r.contains(u, v)) << path << ": stray byte at (" << u << ", " << v << ")";
    }
  }
}

struct Scenario {
  const char* name;
  std::vector<KindLine> kinds;
  const char* divisor;
  Box box;
  std::int32_t seed;
  testing::DensityFn density;
};

void PrintTo(const Scenario& scenario, std::ostream* out) {
  *out << scenario.name;
}

int Noise(int kind, int x, int y) {
  return static_cast<int>(Hash(kind, x, y) % 256);
}

std::vector<KindLine> ManyKinds(int count) {
  std::vector<KindLine> kinds;
  for (int i = 1; i <= count; ++i)
    kinds.push_back({"k" + std::to_string(i), 0, i % 6, (i * 7) % 10});
  return kinds;
}

const Scenario kScenarios[] = {
    {"OneKindAtAlmostEverySubCell",
     {{"grass", 0, 0, 0}},
     "1",
     {100, 100, 107, 107},
     0,
     [](int, int, int) { return 255; }},
    {"MixedSizesAtTheBottomLeftCorner",
     {{"a", 0, 1, 3}, {"b", 0, 2, 5}, {"c", 0, 3, 9}},
     "64",
     {0, 0, 15, 15},
     7,
     Noise},
    {"TwelveDenseKindsAtTheTopRightCorner",
     std::vector<KindLine>(12, KindLine{"tree", 0, 9, 9}),
     "64",
     {3318, 3318, 3327, 3327},
     -3,
     [](int, int, int) { return 255; }},
    {"EvenSizesAndAFractionalDivisor",
     {{"a", 0, 2, 4}, {"b", 0, 4, 6}, {"c", 0, 6, 8}, {"d", 0, 8, 2}},
     "2.5",
     {500, 500, 515, 515},
     12345,
     Noise},
    {"DivisorBelowOne", {{"a", 0, 1, 1}, {"b", 0, 3, 0}}, "0.5", {10, 3000, 25, 3015}, 99, Noise},
    {"ManyKindsFewQualify",
     ManyKinds(40),
     "64",
     {200, 300, 219, 319},
     5,
     [](int kind, int x, int y) {
       return (x + y) % 40 == kind - 1 ? 64 + Noise(kind, x, y) % 192 : 0;
     }},
    {"ManyKindsAllQualify",
     ManyKinds(40),
     "64",
     {40, 40, 45, 45},
     6,
     [](int, int, int) { return 200; }},
    {"SquaresReachingManyRows",
     {{"wide", 0, 255, 0}, {"tall", 0, 0, 201}, {"pebble", 0, 1, 1}},
     "1",
     {1000, 1000, 1003, 1040},
     8,
     [](int kind, int, int) { return kind == 3 ? 255 : 2; }},
    {"BoxAtTheRightEdge", {{"a", 0, 5, 7}, {"b", 0, 1, 0}}, "30.5", {3320, 0, 3327, 10}, 1, Noise},
};

class MatchesTheRules : public ::testing::TestWithParam<Scenario> {};

TEST_P(MatchesTheRules, GridsCountsAndDraws) {
  const Scenario& s = GetParam();
  testing::TestRun run;
  run.state.objectPalette = testing::PaletteOf(s.kinds);
  ObjectDensity density;
  testing::FillDensity(density, run.state.objectPalette.kindCount(), s.box.x1, s.box.y1, s.box.x2,
                       s.box.y2, s.density);
  testing::SetObjectSettings(run.window, s.divisor, s.box);
  run.state.random.seed(s.seed);
  {
    PlacementFiles files = CreatePlacementFiles(run.context);
    PlaceObjects(run.context, density, files);
  }
  ReferenceResult expected =
      ReferencePlacement(run.state.objectPalette, density, std::stod(s.divisor), s.box, s.seed);
  EXPECT_EQ(run.state.random.position(), expected.draws);
  EXPECT_EQ(run.state.objectCounts, expected.counts);
  EXPECT_GT(std::count_if(expected.objects.bytes.begin(), expected.objects.bytes.end(),
                          [](std::uint8_t b) { return b != 0; }),
            0);
  ExpectGridFile(run.folder / "Base.dat", expected.base);
  ExpectGridFile(run.folder / "Top.dat", expected.top);
  ExpectGridFile(run.folder / "Objects.dat", expected.objects);
}

INSTANTIATE_TEST_SUITE_P(PlaceObjects, MatchesTheRules, ::testing::ValuesIn(kScenarios),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CandidateLimit, IntegerTestEqualsTheDoubleComparison) {
  // t = floor(256 r + 1) is the draw's top byte plus one, for every 24-bit draw.
  for (std::uint32_t bits = 0; bits < (1u << 24); ++bits) {
    float r = static_cast<float>(bits) * 0x1p-24f;
    ASSERT_EQ(std::floor(256.0 * r + 1), (bits >> 16) + 1) << bits;
  }
  for (const char* text :
       {"1",   "2",        "3",   "7",   "64",   "100",        "255",    "256", "2.5",   "0.1",
        "0.3", "0.333333", "1.1", "7.7", "63.9", "64.0000001", "100.01", "0.5", "0.001", "1000"}) {
    double divisor = std::stod(text);
    for (int density = 0; density <= 255; ++density) {
      int limit = CandidateLimit(density, divisor);
      for (int t = 1; t <= 256; ++t)
        ASSERT_EQ(density / divisor >= t, t <= limit) << text << " " << density << " " << t;
    }
  }
}

struct RateCase {
  int density;
  const char* divisor;
  int limit;
};

class PlacementRate : public ::testing::TestWithParam<RateCase> {};

// A single kind without squares is placed wherever it is a candidate, so the
// share of sub-cells holding it is floor(density / divisor) / 256.
TEST_P(PlacementRate, IsTheLimitOver256) {
  const RateCase& c = GetParam();
  testing::TestRun run;
  run.state.objectPalette = testing::PaletteOf({{"grass", 0, 0, 0}});
  const Box box{1000, 2000, 1063, 2063};
  ObjectDensity density;
  testing::FillDensity(density, 1, box.x1, box.y1, box.x2, box.y2,
                       [&](int, int, int) { return c.density; });
  testing::SetObjectSettings(run.window, c.divisor, box);
  run.state.random.seed(2024);
  PlacementFiles files = CreatePlacementFiles(run.context);
  PlaceObjects(run.context, density, files);

  const double subCells = 64.0 * 64 * 64;
  const double p = std::min(c.limit, 256) / 256.0;
  const double placed = run.state.objectCounts[1];
  const double sigma = std::sqrt(subCells * p * (1 - p));
  EXPECT_LE(std::abs(placed - subCells * p), 5 * sigma + 0.5)
      << "placed " << placed << " of " << subCells;
}

INSTANTIATE_TEST_SUITE_P(PlaceObjects, PlacementRate,
                         ::testing::Values(RateCase{64, "64", 1}, RateCase{127, "64", 1},
                                           RateCase{200, "64", 3}, RateCase{63, "64", 0},
                                           RateCase{255, "1", 255}, RateCase{100, "2.5", 40},
                                           RateCase{255, "255", 1}, RateCase{1, "0.001", 256}));

// A front end whose event handler runs a script on given calls.
class ScriptedFrontEnd : public FrontEnd {
 public:
  bool processEvents() override {
    if (!armed)
      return false;
    ++calls;
    if (auto it = script.find(calls); it != script.end()) {
      it->second();
      return true;
    }
    return false;
  }
  void showMessage(std::string_view, std::string_view) override {}
  void modelChanged(std::string_view name) override {
    if (name == "frmMain")
      captions.push_back(window->caption());
  }

  WindowModel* window = nullptr;
  bool armed = false;  // the script counts the calls of the placement only
  long long calls = 0;
  std::map<long long, std::function<void()>> script;
  std::vector<std::string> captions;
};

struct ScriptedRun {
  explicit ScriptedRun(Box box, const char* divisor = "1") {
    frontEnd.window = &run.window;
    run.window.setFrontEnd(&frontEnd);
    run.state.objectPalette = testing::PaletteOf({{"grass", 0, 0, 0}});
    testing::FillDensity(density, 1, 0, 0, 30, 30, [](int, int, int) { return 255; });
    testing::SetObjectSettings(run.window, divisor, box);
    run.state.random.seed(1);
  }
  void place() {
    PlacementFiles files = CreatePlacementFiles(run.context);
    frontEnd.armed = true;
    frontEnd.captions.clear();
    PlaceObjects(run.context, density, files);
  }
  // Objects placed in pixel (x, y).
  int objectsAt(int x, int y) {
    auto bytes =
        testing::ReadGridRegion(run.folder / "Objects.dat", 8 * x, 8 * x + 7, 8 * y, 8 * y + 7);
    return static_cast<int>(std::count(bytes.begin(), bytes.end(), 1));
  }

  testing::TestRun run;
  ScriptedFrontEnd frontEnd;
  ObjectDensity density;
};

TEST(PlaceObjects, DivisorChangesTakeEffectAfterTheYieldThatChangedThem) {
  ScriptedRun s({0, 0, 9, 2});
  // Calls 1..10 follow the pixels of row 0, call 11 the row itself.
  s.frontEnd.script[5] = [&] { s.run.window.setText("txtObjectDivisor", "1000"); };
  s.frontEnd.script[15] = [&] { s.run.window.setText("txtObjectDivisor", "1"); };
  s.place();
  for (int x = 0; x <= 9; ++x)
    EXPECT_EQ(s.objectsAt(x, 0) > 0, x < 5) << x;
  for (int x = 0; x <= 9; ++x)
    EXPECT_EQ(s.objectsAt(x, 1) > 0, x >= 4) << x;
}

TEST(PlaceObjects, ColumnChangesTakeEffectFromTheNextRowAndRowsStayFixed) {
  ScriptedRun s({0, 0, 9, 2});
  s.frontEnd.script[3] = [&] {
    s.run.window.setText("txtConfineObjectsX2", "2");
    s.run.window.setText("txtConfineObjectsY2", "0");
  };
  s.place();
  for (int x = 0; x <= 9; ++x) {
    EXPECT_GT(s.objectsAt(x, 0), 0) << x;
    EXPECT_EQ(s.objectsAt(x, 1) > 0, x <= 2) << x;
    EXPECT_EQ(s.objectsAt(x, 2) > 0, x <= 2) << x;
  }
  // The caption shows the new text, the rows went on to the old bound.
  ASSERT_EQ(s.frontEnd.captions.size(), 3u);
  EXPECT_EQ(s.frontEnd.captions[2], "Brackwyn 1.3.1 - Creating objects - 3/0 - 100% Complete");
}

TEST(PlaceObjects, ABadSettingMidRunStopsTheRunNamingIt) {
  ScriptedRun s({0, 0, 9, 2});
  s.frontEnd.script[4] = [&] { s.run.window.setText("txtObjectDivisor", "many"); };
  try {
    s.place();
    FAIL();
  } catch (const RunError& error) {
    EXPECT_NE(std::string(error.what()).find("txtObjectDivisor"), std::string::npos);
  }
}

// Threads of this process, or -1 where the system does not list them.
int ThreadsOfThisProcess() {
  std::error_code error;
  std::filesystem::directory_iterator tasks("/proc/self/task", error);
  if (error)
    return -1;
  return static_cast<int>(std::distance(tasks, std::filesystem::directory_iterator()));
}

// Closing the window or refusing a setting while bands are still on their way
// to the files must stop the writer and drawing threads, not leave them running
// on a folder the run no longer owns.
TEST(PlaceObjects, AStopMidRunLeavesNoThreadBehind) {
  testing::ThreadsSetting threads("2");
  const int before = ThreadsOfThisProcess();
  for (bool close : {true, false}) {
    ScriptedRun s({0, 0, 30, 30});
    // 32 yields a row: the stop comes in row 20, with rows ahead drawn and
    // bands handed over.
    s.frontEnd.script[20 * 32 + 5] = [&] {
      if (close)
        s.run.window.requestClose();
      else
        s.run.window.setText("txtObjectDivisor", "none");
    };
    if (close)
      EXPECT_THROW(s.place(), RunAbandoned);
    else
      EXPECT_THROW(s.place(), RunError);
  }
  if (before < 0)
    GTEST_SKIP() << "this system does not list the threads of a process";
  // A joined thread may still be listed for a moment while the system
  // removes it.
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (ThreadsOfThisProcess() != before && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_EQ(ThreadsOfThisProcess(), before);
}

TEST(PlaceObjects, RowCaptionsAndCountText) {
  ScriptedRun s({3, 0, 3, 3327});
  s.run.window.setText("txtConfineObjectsY2", "3327");
  s.place();
  const auto& captions = s.frontEnd.captions;
  ASSERT_EQ(captions.size(), 3328u);
  EXPECT_EQ(captions.front(), "Brackwyn 1.3.1 - Creating objects - 1/3327 - 0% Complete");
  EXPECT_EQ(captions[1663], "Brackwyn 1.3.1 - Creating objects - 1664/3327 - 49% Complete");
  EXPECT_EQ(captions.back(), "Brackwyn 1.3.1 - Creating objects - 3328/3327 - 100% Complete");
  EXPECT_EQ(s.run.window.text("txtObjectsCount"), ObjectCountsText(s.run.state.objectCounts));
  EXPECT_GT(s.run.state.objectCounts[1], 1000);
  // One yield after every pixel and every row.
  EXPECT_EQ(s.frontEnd.calls, 2 * 3328);
}

TEST(PlaceObjects, RefusesEmptyBoxesNamingBothSettings) {
  struct Case {
    Box box;
    const char* low;
    const char* high;
  } cases[] = {{{5, 0, 4, 1}, "txtConfineObjectsX1", "txtConfineObjectsX2"},
               {{0, 5, 1, 4}, "txtConfineObjectsY1", "txtConfineObjectsY2"}};
  for (const Case& c : cases) {
    ScriptedRun s(c.box);
    s.run.window.setText("txtObjectsCount", "earlier");
    try {
      s.place();
      ADD_FAILURE() << c.low;
    } catch (const RunError& error) {
      std::string message = error.what();
      EXPECT_NE(message.find(c.low), std::string::npos) << message;
      EXPECT_NE(message.find(c.high), std::string::npos) << message;
    }
    EXPECT_TRUE(s.frontEnd.captions.empty());
    EXPECT_EQ(s.run.window.text("txtObjectsCount"), "earlier");
  }
}

TEST(PlaceObjects, RefusesBadDivisorsAndConfineValues) {
  struct Case {
    const char* setting;
    const char* text;
  } cases[] = {{"txtObjectDivisor", "abc"},       {"txtObjectDivisor", "0"},
               {"txtObjectDivisor", "-2"},        {"txtConfineObjectsX1", "x"},
               {"txtConfineObjectsY1", "-1"},     {"txtConfineObjectsX2", "3328"},
               {"txtConfineObjectsY2", "3327.5"}, {"txtConfineObjectsY2", ""}};
  for (const Case& c : cases) {
    ScriptedRun s({0, 0, 1, 1});
    s.run.window.setText(c.setting, c.text);
    try {
      s.place();
      ADD_FAILURE() << c.setting << " " << c.text;
    } catch (const RunError& error) {
      EXPECT_NE(std::string(error.what()).find(c.setting), std::string::npos) << error.what();
    }
  }
  ScriptedRun s({0, 0, 1, 1});
  s.run.window.setText("txtConfineObjectsX2", "3327.4");
  s.run.window.setText("txtObjectDivisor", " 2.5 ");
  EXPECT_NO_THROW(s.place());
}

TEST(ObjectCountsText, ListsAll255KindsWithGroupedCounts) {
  EXPECT_EQ(FormatGroupedCount(0), "");
  EXPECT_EQ(FormatGroupedCount(7), "7");
  EXPECT_EQ(FormatGroupedCount(999), "999");
  EXPECT_EQ(FormatGroupedCount(1234), "1,234");
  EXPECT_EQ(FormatGroupedCount(708837376), "708,837,376");
  EXPECT_EQ(FormatGroupedCount(1000000), "1,000,000");
  ObjectCounts counts{};
  counts[1] = 1234;
  counts[255] = 5;
  std::string text = ObjectCountsText(counts);
  EXPECT_TRUE(text.starts_with("Object ID - Total\r\n1 - 1,234\r\n2 - \r\n3 - \r\n"));
  EXPECT_NE(text.find("\r\n254 - \r\n255 - 5\r\n"), std::string::npos);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 256);
  EXPECT_TRUE(text.ends_with("255 - 5\r\n"));
}

}  // namespace
}  // namespace brackwyn
