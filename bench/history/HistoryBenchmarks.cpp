// Speed of the file history against jq, printed as a ratio at the end of one run: recording
// 50,000 distinct paths and writing them once, against `jq -c .` rewriting the history.json that
// results.

#include "app/Globals.h"
#include "library/HistoryStore.h"
#include "platform/core/Process.h"
#include "tests/support/TempHome.h"

#include "bench/support/RatioReport.h"

namespace {

using namespace ikw;

constexpr int kPaths = 50000;

struct Files {
    testing::TempHome home;
    ScopedGlobals globals { Globals::build(Paths::fromEnvironment()) };
    int run = 0;

    std::string folder(int number) const { return home.file("support-" + std::to_string(number)); }
};

Files& files()
{
    static Files instance;
    return instance;
}

void BM_Record50000AndFlush(benchmark::State& state)
{
    for (auto _ : state) {
        library::HistoryStore store(library::HistoryConfig { .home = files().folder(++files().run), .clock = {} });
        for (int index = 0; index < kPaths; ++index)
            store.record("/Users/dana/Matters/Case " + std::to_string(index / 100) + "/Exhibit " + std::to_string(index) + ".pdf", false, "open",
                1.7e9 + index);
        store.flushNow();
    }
}

void BM_RewriteWithJq(benchmark::State& state)
{
    const std::string history = files().folder(1) + "/history.json";
    for (auto _ : state) {
        ProcessOptions options;
        options.argv = { "/bin/sh", "-c", "jq -c . \"$1\" > \"$1.jq\"", "jq-rewrite", history };
        options.timeoutSeconds = 120;
        if (!runProcess(options).succeeded())
            state.SkipWithError("cannot run jq");
    }
}

BENCHMARK(BM_Record50000AndFlush)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_RewriteWithJq)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}

int main(int argc, char** argv)
{
    return bench::runBenchmarksAndPrintRatios(argc, argv, [] { files(); }, [](const bench::RatioReporter& times) {
        bench::printRatio("Record 50,000 paths and write the history: time / jq's rewrite",
            times.ratio("BM_Record50000AndFlush", "BM_RewriteWithJq"), "<=", 2.0);
    });
}
