// What the processor offers beyond the baseline, for the steps that choose a
// vector path when the program runs: one executable serves every processor.
// The environment variable BRACKWYN_CPU caps what may be chosen, so that any
// path can be tested and measured on a machine that has a wider one.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace brackwyn {

// Each level includes the ones before it.
enum class InstructionSets {
  kBaseline,    // x86-64 with SSE2
  kSsse3,       // byte shuffles
  kAvx2,        // eight 32-bit lanes, with gathers
  kAvx512,      // the foundation, doubleword and quadword, byte and word, CD and VL sets
  kAvx512Vbmi,  // and byte permutes
};

// "baseline", "ssse3", "avx2", "avx512", "avx512vbmi": how BRACKWYN_CPU spells
// them.
std::string_view InstructionSetsName(InstructionSets sets);

// The level a BRACKWYN_CPU value names, exactly as spelt above.
std::optional<InstructionSets> ParseInstructionSets(std::string_view text);

// The widest level this processor (and its system) supports.
InstructionSets MachineInstructionSets();

// The machine's level, lowered to BRACKWYN_CPU where that names a lower one;
// read once. A value that names no level caps nothing here: the run refuses it
// through CheckProcessorCap.
InstructionSets UsableInstructionSets();

// Empty when BRACKWYN_CPU is unset, empty or names a level; otherwise the message
// that names the variable, its value and the levels it may take.
std::string ProcessorCapError(const char* setting);

// Throws RunError with ProcessorCapError's message for this process's
// BRACKWYN_CPU.
void CheckProcessorCap();

// How benchmarks name the path that a step with one for AVX-512 VBMI, one for
// AVX2 and a portable one takes here: "AVX-512 with VBMI", "AVX2" or
// "portable C++".
const char* VbmiAvx2OrPortableName();

inline bool HasSsse3() {
  return UsableInstructionSets() >= InstructionSets::kSsse3;
}
inline bool HasAvx2() {
  return UsableInstructionSets() >= InstructionSets::kAvx2;
}
inline bool HasAvx512() {
  return UsableInstructionSets() >= InstructionSets::kAvx512;
}
inline bool HasAvx512Vbmi() {
  return UsableInstructionSets() >= InstructionSets::kAvx512Vbmi;
}

}  // namespace brackwyn
