#include "app/parameter_file.hpp"

#include "app/run_error.hpp"

namespace brackwyn {

void SaveParameters(const WindowModel&, const std::filesystem::path&) {
  throw RunError("Saving parameters is not built yet.");
}

ParameterLoadReport LoadParameters(WindowModel&, const std::filesystem::path&) {
  throw RunError("Loading parameters is not built yet.");
}

}  // namespace brackwyn
