// The plugin writer against the raw cost of writing the same number of bytes:
// the difference is what building the records costs.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/replacing_file.hpp"
#include "model/run_state.hpp"
#include "plugin/cell_record.hpp"
#include "plugin/create_esp.hpp"
#include "plugin/land_record.hpp"

namespace brackwyn {
namespace {

constexpr std::size_t kPluginBytes = 80'536'297;

class ScratchDirectory {
 public:
  ScratchDirectory() {
    std::string pattern = (std::filesystem::temp_directory_path() / "brackwyn-bench-XXXXXX");
    path_ = ::mkdtemp(pattern.data());
  }
  ~ScratchDirectory() { std::filesystem::remove_all(path_); }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

void FillLand(RunState& state) {
  state.cellHeights.baseHeight.assign(kCellCount, -256.0f);
  state.cellHeights.heightSteps.assign(std::size_t{kCellCount} * kVerticesPerCell, 3);
  state.cellColors.bytes.assign(std::size_t{kCellCount} * kCellColorBytes, 200);
}

void BM_CreateESP(benchmark::State& bench) {
  ScratchDirectory folder;
  WindowModel window;
  ProgressReporter progress(window);
  RunState state;
  state.workingDirectory = folder.path();
  state.parameters.masterFileName = "Brackwyn.esm";
  state.parameters.pluginFileName = "Brackwyn.esp";
  FillLand(state);
  RunContext run{window, progress, state};
  for (auto _ : bench)
    CreateESP(run);
  bench.SetBytesProcessed(static_cast<std::int64_t>(bench.iterations() * kPluginBytes));
}

// The same byte count through the same replacing file, from memory.
void BM_RawWriteOfThePluginSize(benchmark::State& bench) {
  ScratchDirectory folder;
  std::vector<std::uint8_t> bytes(kPluginBytes, 7);
  for (auto _ : bench) {
    ReplacingFile file(folder.path() / "Raw.esp", "raw file", ReplacingFile::Sync::Never);
    file.append(bytes);
    file.commit();
  }
  bench.SetBytesProcessed(static_cast<std::int64_t>(bench.iterations() * kPluginBytes));
}

// Building every CELL and LAND record in memory, no file.
void BM_BuildAllCellRecords(benchmark::State& bench) {
  RunState state;
  FillLand(state);
  RecordWriter out;
  for (auto _ : bench) {
    for (int index = 0; index < kCellCount; ++index) {
      out.clear();
      StartCellRecord(out, CellPosition{index});
      out.endRecord();
      WriteLandRecord(out, CellPosition{index}, state.cellHeights, state.cellColors);
      benchmark::DoNotOptimize(out.bytes().data());
    }
  }
}

BENCHMARK(BM_CreateESP)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RawWriteOfThePluginSize)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_BuildAllCellRecords)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace brackwyn
