#include "bench_support.hpp"

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <thread>

#include "core/positioned_file.hpp"
#include "core/processor_features.hpp"
#include "core/replacing_file.hpp"
#include "core/whole_file.hpp"
#include "objects/placement_files.hpp"
#include "pipeline/work_files.hpp"

namespace brackwyn::bench {

MeasuredRun RunOnce(const std::filesystem::path& world,
                    const std::function<void(WindowModel&)>& configure,
                    const std::function<void(RunContext&)>& inspect) {
  WindowModel window;
  if (configure)
    configure(window);
  ProgressReporter progress(window);
  RunState state;
  state.workingDirectory = world;
  RunContext run{window, progress, state};
  auto start = Clock::now();
  RunResult result = RunPipeline(run);
  MeasuredRun measured;
  measured.wallSeconds = SecondsSince(start);
  if (result.outcome == RunOutcome::Finished && inspect)
    inspect(run);
  DeleteWorkFiles(world);
  if (result.outcome != RunOutcome::Finished)
    throw std::runtime_error(result.message);
  measured.stages = progress.timings();
  measured.pluginName = window.text("txtESP");
  measured.log = window.text("txtLog");
  measured.objectCounts = window.text("txtObjectsCount");
  return measured;
}

namespace {

bool WriteAll(int channel, const void* data, std::size_t size) {
  return ::write(channel, data, size) == static_cast<ssize_t>(size);
}

bool ReadAll(int channel, void* data, std::size_t size) {
  auto* bytes = static_cast<char*>(data);
  while (size > 0) {
    ssize_t n = ::read(channel, bytes, size);
    if (n <= 0)
      return false;
    bytes += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

ChildMeasurements MeasureAllInChild(const std::function<std::vector<double>()>& work) {
  std::cout.flush();
  int channel[2];
  if (::pipe(channel) != 0)
    throw std::runtime_error("pipe failed");
  pid_t child = ::fork();
  if (child < 0)
    throw std::runtime_error("fork failed");
  if (child == 0) {
    ::close(channel[0]);
    try {
      std::vector<double> results = work();
      std::fflush(stdout);
      std::size_t count = results.size();
      if (!WriteAll(channel[1], &count, sizeof count) ||
          !WriteAll(channel[1], results.data(), count * sizeof(double)))
        ::_exit(1);
    } catch (const std::exception& error) {
      std::fprintf(stderr, "%s\n", error.what());
      ::_exit(1);
    }
    ::_exit(0);
  }
  ::close(channel[1]);
  ChildMeasurements measured;
  std::size_t count = 0;
  bool received = ReadAll(channel[0], &count, sizeof count);
  if (received) {
    measured.results.resize(count);
    received = ReadAll(channel[0], measured.results.data(), count * sizeof(double));
  }
  ::close(channel[0]);
  int status = 0;
  struct rusage usage {};
  if (::wait4(child, &status, 0, &usage) < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0 ||
      !received) {
    throw std::runtime_error("the measured run failed");
  }
  measured.peakBytes = static_cast<long long>(usage.ru_maxrss) * 1024;
  return measured;
}

ChildMeasurement MeasureInChild(const std::function<double()>& work) {
  ChildMeasurements measured = MeasureAllInChild([&] { return std::vector<double>{work()}; });
  return {measured.results.at(0), measured.peakBytes};
}

long long PeakResidentBytesOf(const std::function<void()>& work) {
  return MeasureInChild([&] {
           work();
           return 0.0;
         })
      .peakBytes;
}

double MeasureFloor(const std::filesystem::path& world, std::size_t bytes) {
  auto start = Clock::now();
  for (const char* name : {"coast.bmp", "interior.bmp", "mountain.bmp"}) {
    std::vector<std::uint8_t> data = ReadWholeFile(world / name, "bitmap");
    if (data.empty())
      throw std::runtime_error("empty bitmap");
  }
  {
    ReplacingFile out(world / kFloorFileName, "floor file", ReplacingFile::Sync::Never);
    std::vector<std::uint8_t> block(1 << 20, 1);
    for (std::size_t done = 0; done < bytes; done += block.size()) {
      out.append(block.data(), std::min(block.size(), bytes - done));
    }
    out.commit();
  }
  return SecondsSince(start);
}

void RemoveFloorFile(const std::filesystem::path& world) {
  std::filesystem::remove(world / kFloorFileName);
}

ProcessBytes BytesReadAndWritten() {
  std::ifstream io("/proc/self/io");
  ProcessBytes bytes;
  std::string name;
  long long value = 0;
  while (io >> name >> value) {
    if (name == "rchar:")
      bytes.read = value;
    else if (name == "wchar:")
      bytes.written = value;
  }
  return bytes;
}

double MeasureFileFloor(const std::filesystem::path& world, std::size_t written, std::size_t read) {
  const std::filesystem::path path = world / kFloorFileName;
  auto start = Clock::now();
  {
    PositionedFile file = PositionedFile::CreateNew(path, path, "floor file");
    std::vector<std::uint8_t> band(kPixelRowBandBytes, 1);
    for (std::size_t done = 0; done < written; done += band.size())
      file.writeFully(band.data(), std::min(band.size(), written - done), done);
    std::vector<std::uint8_t> block(1 << 20);
    for (std::size_t done = 0; done < read && written > 0; done += block.size()) {
      const std::size_t at = done % written;
      file.readUpTo(block.data(), std::min({block.size(), read - done, written - at}), at);
    }
  }
  const double seconds = SecondsSince(start);
  RemoveFloorFile(world);
  return seconds;
}

long long DiskBytes(const std::filesystem::path& path) {
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0)
    return 0;
  return static_cast<long long>(info.st_blocks) * 512;
}

std::filesystem::path WorldFromArguments(int& argc, char** argv) {
  std::filesystem::path world = "example";
  for (int i = 1; i < argc; ++i) {
    std::string_view argument = argv[i];
    if (argument.rfind("--", 0) == 0)
      continue;  // Google Benchmark's own flags
    world = argument;
    for (int j = i; j + 1 < argc; ++j)
      argv[j] = argv[j + 1];
    --argc;
    break;
  }
  if (!std::filesystem::exists(world / "coast.bmp")) {
    throw std::runtime_error("no example world in \"" + world.string() +
                             "\": run make_example_world " + world.string() + " first");
  }
  return world;
}

std::string InstructionSetsCap() {
  const char* setting = std::getenv("BRACKWYN_CPU");
  if (std::string problem = ProcessorCapError(setting); !problem.empty())
    throw std::runtime_error(problem);
  std::string usable(InstructionSetsName(UsableInstructionSets()));
  if (setting == nullptr || *setting == '\0')
    return usable + " (the processor's own)";
  return usable + " (BRACKWYN_CPU=" + setting + ", processor " +
         std::string(InstructionSetsName(MachineInstructionSets())) + ")";
}

namespace {

bool PinToProcessor(int processor) {
  cpu_set_t set;
  CPU_ZERO(&set);
  CPU_SET(processor, &set);
  return pthread_setaffinity_np(pthread_self(), sizeof set, &set) == 0;
}

}  // namespace

double CoreRoundTripNanoseconds() {
  cpu_set_t allowed;
  if (sched_getaffinity(0, sizeof allowed, &allowed) != 0 || CPU_COUNT(&allowed) < 2)
    return 0;
  int processors[2];
  for (int cpu = 0, found = 0; found < 2; ++cpu) {
    if (CPU_ISSET(cpu, &allowed))
      processors[found++] = cpu;
  }
  constexpr long kRoundTrips = 200'000;
  alignas(64) std::atomic<long> turn{0};
  auto play = [&](long first) {
    for (long mine = first; mine < 2 * kRoundTrips; mine += 2) {
      while (turn.load(std::memory_order_acquire) != mine) {
      }
      turn.store(mine + 1, std::memory_order_release);
    }
  };
  std::thread other([&] {
    PinToProcessor(processors[1]);
    play(1);
  });
  PinToProcessor(processors[0]);
  auto start = Clock::now();
  play(0);
  double seconds = SecondsSince(start);
  other.join();
  // The caller goes back to where it may run: only this measurement is pinned.
  pthread_setaffinity_np(pthread_self(), sizeof allowed, &allowed);
  return seconds / kRoundTrips * 1e9;
}

}  // namespace brackwyn::bench
