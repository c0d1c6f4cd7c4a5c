#pragma once

#include "platform/core/Process.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace ikw::bench {

// Runs a reference tool (argv, never a shell) for one timed iteration; a tool that cannot run, or
// fails, or outlasts `timeoutSeconds` marks the benchmark as skipped with an error.
void runReferenceTool(benchmark::State& state, std::vector<std::string> argv, double timeoutSeconds = 600);

// Runs a tool (argv, never a shell) with `input` on its standard input, for up to ten minutes.
ProcessResult runTool(std::vector<std::string> argv, std::string input = {});

// A JPEG of a colour gradient, so that encoders and decoders have real work and the file a
// realistic size.
void writeGradientJpeg(const std::string& path, int width, int height);

}
