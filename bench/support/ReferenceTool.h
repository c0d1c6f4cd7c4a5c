#pragma once

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace ikw::bench {

// Runs a reference tool (argv, never a shell) for one timed iteration; a tool that cannot run, or
// fails, or outlasts `timeoutSeconds` marks the benchmark as skipped with an error.
void runReferenceTool(benchmark::State& state, std::vector<std::string> argv, double timeoutSeconds = 600);

}
