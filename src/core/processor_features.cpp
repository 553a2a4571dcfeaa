#include "core/processor_features.hpp"

#include <array>
#include <cstdlib>

#include "core/run_error.hpp"

namespace brackwyn {
namespace {

constexpr std::array<std::string_view, 5> kNames = {"baseline", "ssse3", "avx2", "avx512",
                                                    "avx512vbmi"};

InstructionSets DetectMachine() {
#if defined(__GNUC__) && defined(__x86_64__)
  // __builtin_cpu_supports also asks whether the system saves the wide
  // registers, so a level is only reported where its code can run.
  if (!__builtin_cpu_supports("ssse3"))
    return InstructionSets::kBaseline;
  if (!__builtin_cpu_supports("avx2"))
    return InstructionSets::kSsse3;
  if (!__builtin_cpu_supports("avx512f") || !__builtin_cpu_supports("avx512dq") ||
      !__builtin_cpu_supports("avx512bw") || !__builtin_cpu_supports("avx512cd") ||
      !__builtin_cpu_supports("avx512vl"))
    return InstructionSets::kAvx2;
  if (!__builtin_cpu_supports("avx512vbmi"))
    return InstructionSets::kAvx512;
  return InstructionSets::kAvx512Vbmi;
#else
  return InstructionSets::kBaseline;
#endif
}

InstructionSets DetectUsable() {
  const InstructionSets machine = MachineInstructionSets();
  const char* setting = std::getenv("BRACKWYN_CPU");
  if (setting == nullptr || *setting == '\0')
    return machine;
  const std::optional<InstructionSets> cap = ParseInstructionSets(setting);
  return cap && *cap < machine ? *cap : machine;
}

}  // namespace

std::string_view InstructionSetsName(InstructionSets sets) {
  return kNames[static_cast<std::size_t>(sets)];
}

std::optional<InstructionSets> ParseInstructionSets(std::string_view text) {
  for (std::size_t level = 0; level < kNames.size(); ++level) {
    if (text == kNames[level])
      return static_cast<InstructionSets>(level);
  }
  return std::nullopt;
}

InstructionSets MachineInstructionSets() {
  static const InstructionSets machine = DetectMachine();
  return machine;
}

InstructionSets UsableInstructionSets() {
  static const InstructionSets usable = DetectUsable();
  return usable;
}

std::string ProcessorCapError(const char* setting) {
  if (setting == nullptr || *setting == '\0' || ParseInstructionSets(setting))
    return {};
  std::string message = "The environment variable BRACKWYN_CPU is \"" + std::string(setting) +
                        "\", which names no instruction sets. Use one of";
  for (std::size_t level = 0; level < kNames.size(); ++level)
    message += (level == 0 ? " " : ", ") + std::string(kNames[level]);
  return message + ", or leave it unset to use everything the processor offers.";
}

const char* VbmiAvx2OrPortableName() {
#if defined(__GNUC__) && defined(__x86_64__)
  if (HasAvx512Vbmi())
    return "AVX-512 with VBMI";
  if (HasAvx2())
    return "AVX2";
#endif
  return "portable C++";
}

void CheckProcessorCap() {
  std::string message = ProcessorCapError(std::getenv("BRACKWYN_CPU"));
  if (!message.empty())
    throw RunError(message);
}

}  // namespace brackwyn
