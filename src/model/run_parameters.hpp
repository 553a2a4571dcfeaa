// The settings copied out of the window at the start of a run. Everything else
// a stage needs is a live setting, read from the window when it is used.
#pragma once

#include <cstdint>
#include <string>

namespace brackwyn {

struct RunParameters {
  float interiorScale = 0;  // window text / 8: the grid counts in steps of 8 world units
  float mountainScale = 0;
  std::string coastBitmapName;
  std::string interiorBitmapName;
  std::string mountainBitmapName;
  std::string objectIndexName;
  std::string masterFileName;
  std::string pluginFileName;
  std::int32_t objectSeed = 0;
};

}  // namespace brackwyn
