// Speed of banking a document version against cp of the same file, printed as ratios at the end of
// one run: banking a 200 MB PDF whose signature is new (a whole copy), and banking it again
// unchanged (the signature is found, nothing is copied).

#include "library/VersionStore.h"
#include "platform/core/Process.h"
#include "tests/support/TempHome.h"

#include "bench/support/RatioReport.h"

#include <fstream>
#include <utime.h>

namespace {

using namespace ikw;

constexpr std::size_t kDocumentBytes = 200u * 1024u * 1024u;

struct Files {
    testing::TempHome home;
    const std::string document = home.file("Docs/Large.pdf");
    const std::string copy = home.file("copy.pdf");
    library::VersionStore store { home.file("versions") };
    std::time_t modified = 1'700'000'000;

    Files()
    {
        testing::writeTestFile(document, "");
        std::ofstream out(document, std::ios::binary);
        out << "%PDF-1.7\n%\xe2\xe3\xcf\xd3\n";
        std::string block(1 << 20, '\0');
        for (std::size_t index = 0; index < block.size(); ++index)
            block[index] = static_cast<char>((index * 2654435761u) >> 13);
        for (std::size_t written = 0; written < kDocumentBytes; written += block.size())
            out.write(block.data(), static_cast<std::streamsize>(block.size()));
    }

    // A new modification second: the next banking copies the whole file.
    void touch()
    {
        ++modified;
        const utimbuf times { modified, modified };
        ::utime(document.c_str(), &times);
    }
};

Files& files()
{
    static Files instance;
    return instance;
}

void BM_BankNewVersion(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        testing::removeTree(files().home.file("versions"));
        files().touch();
        state.ResumeTiming();
        if (!files().store.snapshotVersionFile(files().document))
            state.SkipWithError("nothing was banked");
    }
}

void BM_BankUnchanged(benchmark::State& state)
{
    files().store.snapshotVersionFile(files().document);
    for (auto _ : state) {
        if (files().store.snapshotVersionFile(files().document))
            state.SkipWithError("an unchanged file was banked again");
    }
}

void BM_CopyWithCp(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        ::unlink(files().copy.c_str());
        state.ResumeTiming();
        ProcessOptions options;
        options.argv = { "cp", files().document, files().copy };
        options.timeoutSeconds = 120;
        if (!runProcess(options).succeeded())
            state.SkipWithError("cannot run cp");
    }
}

BENCHMARK(BM_BankNewVersion)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_CopyWithCp)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_BankUnchanged)->Unit(benchmark::kMicrosecond)->UseRealTime();

}

int main(int argc, char** argv)
{
    return bench::runBenchmarksAndPrintRatios(argc, argv, [] { files(); }, [](const bench::RatioReporter& times) {
        bench::printRatio("Bank a new version of a 200 MB PDF: time / cp's", times.ratio("BM_BankNewVersion", "BM_CopyWithCp"), "<=", 1.2);
        bench::printRatio("Bank it again unchanged: time / cp's", times.ratio("BM_BankUnchanged", "BM_CopyWithCp"), "<=", 0.01);
    });
}
