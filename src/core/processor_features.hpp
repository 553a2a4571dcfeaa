// What the processor offers beyond the baseline, for the steps that choose a
// vector path when the program runs: one executable serves every processor.
#pragma once

namespace brackwyn {

// AVX2: eight 32-bit lanes, with gathers.
inline bool HasAvx2() {
#if defined(__GNUC__) && defined(__x86_64__)
  return __builtin_cpu_supports("avx2");
#else
  return false;
#endif
}

// AVX-512 with byte permutes: the foundation, byte and word, and VBMI sets.
inline bool HasAvx512Vbmi() {
#if defined(__GNUC__) && defined(__x86_64__)
  return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
         __builtin_cpu_supports("avx512vbmi");
#else
  return false;
#endif
}

}  // namespace brackwyn
