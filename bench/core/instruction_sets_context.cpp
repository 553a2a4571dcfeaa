// Names the instruction sets the vector paths may choose in the header of the
// stage benchmarks, before any of them runs; a BRACKWYN_CPU that names none
// stops the program instead of measuring the wrong paths.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/processor_features.hpp"

namespace brackwyn {
namespace {

bool NameInstructionSets() {
  if (std::string problem = ProcessorCapError(std::getenv("BRACKWYN_CPU")); !problem.empty()) {
    std::fprintf(stderr, "%s\n", problem.c_str());
    std::exit(1);
  }
  benchmark::AddCustomContext("instruction sets",
                              std::string(InstructionSetsName(UsableInstructionSets())) +
                                  " of the processor's " +
                                  std::string(InstructionSetsName(MachineInstructionSets())));
  return true;
}

[[maybe_unused]] const bool kNamed = NameInstructionSets();

}  // namespace
}  // namespace brackwyn
