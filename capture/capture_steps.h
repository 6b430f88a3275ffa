// The steps of one capture with their times, for the latency benchmark
// (tools/benchmarks/capture_latency.py). Dormant unless the environment
// variable TESSORY_STEP_LOG names a file: then every capture appends one
// line per step to it, "<seconds since 1970-01-01 UTC> <step>", on the
// same clock as the benchmark's own. The lines are kept in memory while
// the capture runs and written once it has shown its windows again.
#pragma once

namespace tessory::capture_steps {

// Starts a capture's record afresh with `step` (a literal), now.
void Begin(const char* step);
// Records that `step` (a literal) ended now.
void Mark(const char* step);
// Appends the recorded steps to the file and starts afresh.
void Write();

}  // namespace tessory::capture_steps
