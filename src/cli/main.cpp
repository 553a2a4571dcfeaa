// Placeholder until the runner lands: runs the pipeline on the defaults.
#include <iostream>

#include "app/pipeline.hpp"

int main() {
  brackwyn::WindowModel window;
  brackwyn::ProgressReporter progress(window);
  brackwyn::RunState state;
  brackwyn::RunContext run{window, progress, state};
  brackwyn::RunResult result = brackwyn::RunPipeline(run);
  std::cout << result.message << "\n";
  return result.outcome == brackwyn::RunOutcome::Finished ? 0 : 1;
}
