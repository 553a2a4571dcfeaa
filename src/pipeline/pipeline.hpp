// The run behind the start button: the stages in order, then the idle
// caption and the completion message.
#pragma once

#include <string>

#include "model/run_state.hpp"

namespace brackwyn {

enum class RunOutcome { Finished, Failed, Abandoned };

struct RunResult {
  RunOutcome outcome = RunOutcome::Finished;
  std::string message;  // the completion text, or what went wrong
};

// "Finished! You may now copy <master> and <plugin> to ..."
std::string CompletionMessage(const RunParameters& parameters);

// Runs every stage. A failure stops the run, restores the idle caption and is
// shown through the front end's error box; an abandoned run (window closed)
// returns at once. The start button stays disabled in every case: one run per
// program start.
RunResult RunPipeline(RunContext& run);

}  // namespace brackwyn
