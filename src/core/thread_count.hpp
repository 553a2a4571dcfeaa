// How many threads a stage may use. Every count gives the same output bytes;
// only the time differs.
#pragma once

namespace brackwyn {

// The environment variable BRACKWYN_THREADS when it holds a whole number of 1
// or more (1 keeps every stage on one thread), otherwise the machine's
// hardware threads.
int ThreadCount();

// The count for a BRACKWYN_THREADS value (null when unset) on a machine with
// `hardwareThreads` (0 when unknown). Text that is not a whole number of 1 or
// more is ignored.
int ThreadCountFor(const char* setting, unsigned hardwareThreads);

}  // namespace brackwyn
