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
  for (std::size_t i = 0; i < count; ++i)
    out[i] = static_cast<std::uint8_t>(Mix(z + i * kGamma) >> 56);
}

}  // namespace brackwyn
