// The object kinds read from the object index file, and the per-kind totals
// of placed objects. Kind numbers run from 1; 0 means "no object".
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace brackwyn {

inline constexpr int kMaxObjectKinds = 255;

struct ObjectKind {
  std::string id;                   // static record NAME; model path is id + ".NIF"
  std::string bitmapFile;           // density bitmap, opened exactly as written
  std::uint8_t scaleVariation = 0;  // percent
  std::uint8_t baseSize = 0;        // sub-cells
  std::uint8_t topSize = 0;         // sub-cells
  int line = 0;  // of the index file, where its first field stands; 0 when not read from one
};

struct ObjectPalette {
  std::vector<ObjectKind> kinds;  // kind number n is kinds[n - 1]
  // What looked wrong in the index file, one message a line, naming the line.
  std::vector<std::string> warnings;

  int kindCount() const { return static_cast<int>(kinds.size()); }
  const ObjectKind& kind(int number) const { return kinds[static_cast<std::size_t>(number - 1)]; }
};

// Indexed by kind number 1..255; slot 0 is unused.
using ObjectCounts = std::array<std::int32_t, kMaxObjectKinds + 1>;

}  // namespace brackwyn
