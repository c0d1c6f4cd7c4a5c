// Speed of a document identifier of a large file against the `sha256sum` command on the same
// file, printed as a ratio at the end of one run. Reading the file whole, or in small pieces,
// would show here as a ratio well above one.

#include "library/GroupIdentity.h"

#include "tests/support/TempHome.h"

#include "bench/support/RatioReport.h"
#include "bench/support/ReferenceTool.h"

#include <cstdio>
#include <memory>
#include <random>

namespace {

using namespace ikw;

constexpr std::size_t kMegabytes = 512;

struct Corpus {
    testing::TempHome home;
    std::string file = home.file("large.pdf");

    Corpus()
    {
        std::string piece(1 << 20, '\0');
        std::mt19937 random(11);
        for (auto& byte : piece)
            byte = static_cast<char>(random());
        const std::unique_ptr<FILE, int (*)(FILE*)> out(std::fopen(file.c_str(), "wb"), std::fclose);
        for (std::size_t i = 0; out && i < kMegabytes; ++i) {
            piece[0] = static_cast<char>(i); // no two pieces alike
            std::fwrite(piece.data(), 1, piece.size(), out.get());
        }
    }
};

Corpus& corpus()
{
    static Corpus instance;
    return instance;
}

void BM_DocId(benchmark::State& state)
{
    for (auto _ : state) {
        // A fresh cache each time, so that every iteration hashes the file.
        library::DocumentIds ids;
        if (!ids.docId(corpus().file))
            state.SkipWithError("no identifier");
    }
}

void BM_Sha256sum(benchmark::State& state)
{
    for (auto _ : state)
        bench::runReferenceTool(state, { "sha256sum", corpus().file });
}

BENCHMARK(BM_DocId)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_Sha256sum)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}

int main(int argc, char** argv)
{
    return bench::runBenchmarksAndPrintRatios(argc, argv, [] { corpus(); }, [](const bench::RatioReporter& times) {
        bench::printRatio("document identifier of a 512 MB file: docId / sha256sum", times.ratio("BM_DocId", "BM_Sha256sum"), "<=", 1.1);
    });
}
