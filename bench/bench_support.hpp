// Helpers shared by the benchmark programs: running the pipeline headless in
// a world folder, peak memory of a run in a child process, and the floor.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "pipeline/pipeline.hpp"

namespace brackwyn::bench {

using Clock = std::chrono::steady_clock;

inline double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

struct MeasuredRun {
  double wallSeconds = 0;
  std::vector<StageTiming> stages;
  std::string pluginName;
  std::string log;           // txtLog
  std::string objectCounts;  // txtObjectsCount
};

// One default run in `world`, after `configure` changed settings; `inspect`
// sees the finished run before its work files are deleted. Throws
// std::runtime_error when the run does not finish.
MeasuredRun RunOnce(const std::filesystem::path& world,
                    const std::function<void(WindowModel&)>& configure = {},
                    const std::function<void(RunContext&)>& inspect = {});

// Peak resident memory, in bytes, of `work` run in a forked child process, so
// that earlier allocations of this process do not count.
long long PeakResidentBytesOf(const std::function<void()>& work);

// The same for work that measures something: its result comes back from the
// child too.
struct ChildMeasurement {
  double result = 0;
  long long peakBytes = 0;
};
ChildMeasurement MeasureInChild(const std::function<double()>& work);

// Work that measures several things, each coming back from the child.
struct ChildMeasurements {
  std::vector<double> results;
  long long peakBytes = 0;
};
ChildMeasurements MeasureAllInChild(const std::function<std::vector<double>()>& work);

inline constexpr char kFloorFileName[] = "floor.bin";

// Reads the three bitmaps of `world` and writes `bytes` bytes front to back,
// replacing the file the previous call wrote, as a run replaces its previous
// plugin: the least any run must do. Returns seconds.
double MeasureFloor(const std::filesystem::path& world, std::size_t bytes);
void RemoveFloorFile(const std::filesystem::path& world);

// The bytes this process has read and written through system calls so far.
struct ProcessBytes {
  long long read = 0;
  long long written = 0;
};
ProcessBytes BytesReadAndWritten();

// Writes `written` bytes to a new file in blocks of one band of the
// placement files, then reads `read` bytes back from it in 1 MiB blocks, as
// many times over as it takes: the file work of an object run with nothing
// else. Returns seconds; the file is removed after the clock stops.
double MeasureFileFloor(const std::filesystem::path& world, std::size_t written, std::size_t read);

// Bytes that a file really occupies on disk (sparse files count their data only).
long long DiskBytes(const std::filesystem::path& path);

std::filesystem::path WorldFromArguments(int& argc, char** argv);

// The instruction sets the vector paths may choose, for a benchmark's header:
// "avx2 (BRACKWYN_CPU=avx2, processor avx512vbmi)", or the processor's own
// level when BRACKWYN_CPU is unset. Throws std::runtime_error, naming the
// levels, when BRACKWYN_CPU names none.
std::string InstructionSetsCap();

// How long a write on one core takes to be seen on the other and answered, in
// nanoseconds: two threads pinned to the first two processors pass a counter
// back and forth. On a virtual machine this changes when the host moves its
// processors apart, and with it everything two threads share. 0 with fewer
// than two processors.
double CoreRoundTripNanoseconds();

}  // namespace brackwyn::bench
