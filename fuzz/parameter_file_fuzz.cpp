// Feeds arbitrary bytes to the parameter file reader as the content of
// Parameters.ini: it applies what it can and names what it kept.
#include <cstddef>
#include <cstdint>
#include <span>

#include "model/parameter_file.hpp"
#include "model/window_model.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  brackwyn::WindowModel window;
  (void)brackwyn::ApplyParameterBytes(window, std::span(data, size));
  return 0;
}
