#include "bench/support/ReferenceTool.h"

#include "platform/core/Process.h"

namespace ikw::bench {

void runReferenceTool(benchmark::State& state, std::vector<std::string> argv, double timeoutSeconds)
{
    ProcessOptions options;
    options.argv = std::move(argv);
    options.timeoutSeconds = timeoutSeconds;
    if (!runProcess(options).succeeded())
        state.SkipWithError(("cannot run " + options.argv[0]).c_str());
}

}
