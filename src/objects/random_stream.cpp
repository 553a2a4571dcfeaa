#include "objects/random_stream.hpp"

namespace brackwyn {

// Each draw is independent of the others, so the loop vectorises; the
// instruction set is chosen when the program starts. The arithmetic is the
// same integer arithmetic on every path, so the bytes are too.
#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__)
__attribute__((target_clones("arch=x86-64-v4", "avx2", "default"), optimize("tree-vectorize")))
#endif
void RandomStream::TopBytes(std::uint64_t key, std::uint64_t first, std::size_t count,
                            std::uint8_t* out) {
  std::uint64_t z = key + (first + 1) * kGamma;
  for (std::size_t i = 0; i < count; ++i) {
    std::uint64_t m = z + i * kGamma;
    m = (m ^ (m >> 30)) * 0xBF58476D1CE4E5B9ull;
    m = (m ^ (m >> 27)) * 0x94D049BB133111EBull;
    // Mix's last step, m ^ (m >> 31), leaves the top byte as it is.
    out[i] = static_cast<std::uint8_t>(m >> 56);
  }
}

}  // namespace brackwyn
