// Prints the widest instruction sets this machine offers, as BRACKWYN_CPU
// spells them: the build registers the vector-path tests once per level below.
#include <cstdio>
#include <string>

#include "core/processor_features.hpp"

int main() {
  std::printf(
      "%s", std::string(brackwyn::InstructionSetsName(brackwyn::MachineInstructionSets())).c_str());
  return 0;
}
