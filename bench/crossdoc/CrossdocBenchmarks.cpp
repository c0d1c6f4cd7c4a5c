// Speed of the live PDF search against pdfgrep, printed as a ratio at the end of one run: a phrase
// searched case-insensitively over a folder of 100 generated 20-page text PDFs.

#include "app/Globals.h"
#include "crossdoc/LivePdfSearch.h"
#include "platform/core/Process.h"
#include "platform/pdf/Document.h"
#include "platform/pdf/testing/PdfFixtures.h"
#include "tests/support/TempHome.h"

#include "bench/support/RatioReport.h"

#include <sys/resource.h>

#include <random>

namespace {

using namespace ikw;

constexpr const char* kPhrase = "quarterly settlement";
constexpr int kDocuments = 100;
constexpr int kPagesPerDocument = 20;
constexpr int kLinesPerPage = 40;

// Pages of plain prose from a small vocabulary; about one page in five holds the phrase.
std::vector<pdf::testing::TextFixturePage> proseDocument(std::mt19937& random)
{
    static const char* const kWords[] = { "the", "agreement", "party", "shall", "deliver", "notice", "within", "days",
        "of", "receipt", "payment", "invoice", "clause", "term", "court", "witness", "exhibit", "schedule", "amended",
        "hereby", "consent", "liability", "damages", "record", "section", "filed", "motion", "counsel" };
    std::uniform_int_distribution<std::size_t> word(0, std::size(kWords) - 1);
    std::uniform_int_distribution<int> chance(0, 4 * kLinesPerPage);
    std::vector<pdf::testing::TextFixturePage> pages(kPagesPerDocument);
    for (auto& page : pages) {
        for (int line = 0; line < kLinesPerPage; ++line) {
            std::string text;
            for (int count = 0; count < 12; ++count)
                text += std::string(count ? " " : "") + kWords[word(random)];
            if (chance(random) == 0)
                text += std::string(" Quarterly Settlement");
            page.lines.push_back(std::move(text));
        }
    }
    return pages;
}

struct Corpus {
    testing::TempHome home;
    ScopedGlobals globals { Globals::build(Paths::fromEnvironment()) };
    const std::string folder = home.file("Corpus");

    Corpus()
    {
        std::mt19937 random(20240611);
        for (int index = 0; index < kDocuments; ++index)
            testing::writeTestFile(folder + "/matter-" + std::to_string(index / 10) + "/doc-" + std::to_string(index) + ".pdf",
                pdf::testing::textPdf(proseDocument(random)));
    }
};

Corpus& corpus()
{
    static Corpus instance;
    return instance;
}

// Processor seconds used so far by this process's threads, or by its finished children.
double processorSeconds(int who)
{
    rusage usage {};
    getrusage(who, &usage);
    const auto seconds = [](const timeval& time) { return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Processor time per run beside the wall-clock time, which on a busy machine also measures the
// other programs.
void countProcessorTime(benchmark::State& state, int who, double before)
{
    state.counters["cpu_s"] = (processorSeconds(who) - before) / static_cast<double>(state.iterations());
}

void BM_LiveSearch_Inkwarden(benchmark::State& state)
{
    const double before = processorSeconds(RUSAGE_SELF);
    for (auto _ : state) {
        const crossdoc::LiveSearchResult result = crossdoc::runPDFSearch(kPhrase, { corpus().folder }, {});
        if (result.docs.empty())
            state.SkipWithError("the phrase was not found");
        benchmark::DoNotOptimize(result.hitCount);
    }
    countProcessorTime(state, RUSAGE_SELF, before);
}

// For comparison: only reading every page's text, one document after another, as the search does
// before it looks for anything.
void BM_PageTextOnly_Inkwarden(benchmark::State& state)
{
    std::vector<std::string> files;
    for (int index = 0; index < kDocuments; ++index)
        files.push_back(corpus().folder + "/matter-" + std::to_string(index / 10) + "/doc-" + std::to_string(index) + ".pdf");
    const double before = processorSeconds(RUSAGE_SELF);
    for (auto _ : state) {
        std::size_t bytes = 0;
        for (const std::string& file : files) {
            const auto document = pdf::Document::openFile(file);
            for (int page = 0; document && page < document->pageCount(); ++page)
                bytes += document->pageText(page).size();
        }
        benchmark::DoNotOptimize(bytes);
    }
    countProcessorTime(state, RUSAGE_SELF, before);
}

void BM_LiveSearch_Pdfgrep(benchmark::State& state)
{
    const double before = processorSeconds(RUSAGE_CHILDREN);
    for (auto _ : state) {
        ProcessOptions options;
        options.argv = { "pdfgrep", "-r", "-i", "-c", kPhrase, corpus().folder };
        options.timeoutSeconds = 600;
        if (!runProcess(options).succeeded())
            state.SkipWithError("cannot run pdfgrep");
    }
    countProcessorTime(state, RUSAGE_CHILDREN, before);
}

// A few runs each: the figure is a mean, steadier on a busy machine.
BENCHMARK(BM_LiveSearch_Inkwarden)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_PageTextOnly_Inkwarden)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_LiveSearch_Pdfgrep)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}

int main(int argc, char** argv)
{
    return bench::runBenchmarksAndPrintRatios(argc, argv, [] { corpus(); }, [](const bench::RatioReporter& times) {
        bench::printRatio("live search of 100 PDFs of 20 pages: time / pdfgrep's",
            times.ratio("BM_LiveSearch_Inkwarden", "BM_LiveSearch_Pdfgrep"), "<=", 0.5);
        bench::printRatio("(reading the pages' text alone: time / pdfgrep's)",
            times.ratio("BM_PageTextOnly_Inkwarden", "BM_LiveSearch_Pdfgrep"), "<=", 0.5);
    });
}
