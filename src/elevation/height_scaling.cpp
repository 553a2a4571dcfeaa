#include "elevation/height_scaling.hpp"

#include "core/number_text.hpp"

namespace brackwyn {

std::int16_t CoastHeight(int sample) {
  if (sample >= 224)
    return static_cast<std::int16_t>(sample - 223);
  // 256.0 / 224.0 first: the order fixes the last bit, and with it the rounding.
  return static_cast<std::int16_t>(RoundHalfEven(256.0 / 224.0 * sample - 256.0));
}

double ScaledHeight(float gridScale, int sample) {
  return RoundHalfEven(static_cast<double>(gridScale) / 255.0 * sample);
}

SampleTable CoastTable() {
  SampleTable table{};
  for (int v = 0; v < kSampleValues; ++v)
    table[v] = CoastHeight(v);
  return table;
}

}  // namespace brackwyn
