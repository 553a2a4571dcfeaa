// Feeds arbitrary bytes to the object index reader: it either gives a palette
// the later stages can trust or refuses with a RunError.
#include <cstddef>
#include <cstdint>
#include <span>

#include "core/run_error.hpp"
#include "objects/object_index.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    brackwyn::ObjectPalette palette =
        brackwyn::ParseObjectIndex(std::span(data, size), "the object index file \"fuzz.csv\"");
    if (palette.kindCount() < 1 || palette.kindCount() > brackwyn::kMaxObjectKinds)
      __builtin_trap();
    for (const brackwyn::ObjectKind& kind : palette.kinds) {
      if (kind.id.empty() || kind.id.size() > 255 || kind.scaleVariation >= 100)
        __builtin_trap();
    }
  } catch (const brackwyn::RunError&) {
  }
  return 0;
}
