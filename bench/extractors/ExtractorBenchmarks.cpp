// Speed of the PDF text extractor of the search index against `mutool draw -F txt`, printed as a
// ratio at the end of one run: every page's text of one generated 1,000-page text PDF.

#include "crossdoc/TextExtractors.h"
#include "platform/core/Process.h"
#include "platform/pdf/testing/PdfFixtures.h"
#include "tests/support/TempHome.h"

#include "bench/support/RatioReport.h"

#include <random>

namespace {

using namespace ikw;

constexpr int kPages = 1000;
constexpr int kLinesPerPage = 40;

std::string proseDocument()
{
    static const char* const kWords[] = { "the", "agreement", "party", "shall", "deliver", "notice", "within", "days",
        "of", "receipt", "payment", "invoice", "clause", "term", "court", "witness", "exhibit", "schedule", "amended" };
    std::mt19937 random(20240612);
    std::uniform_int_distribution<std::size_t> word(0, std::size(kWords) - 1);
    std::vector<pdf::testing::TextFixturePage> pages(kPages);
    for (auto& page : pages) {
        for (int line = 0; line < kLinesPerPage; ++line) {
            std::string text;
            for (int count = 0; count < 12; ++count)
                text += std::string(count ? " " : "") + kWords[word(random)];
            page.lines.push_back(std::move(text));
        }
    }
    return pdf::testing::textPdf(pages);
}

struct Corpus {
    testing::TempHome home;
    const std::string pdf = testing::writeTestFile(home.file("long.pdf"), proseDocument());
};

Corpus& corpus()
{
    static Corpus instance;
    return instance;
}

void BM_ExtractChunks_Pdf(benchmark::State& state)
{
    for (auto _ : state) {
        const auto chunks = crossdoc::extractChunks(corpus().pdf, "pdf");
        if (chunks.size() != static_cast<std::size_t>(kPages))
            state.SkipWithError("not every page gave a chunk");
        benchmark::DoNotOptimize(chunks.data());
    }
}

void BM_MutoolDrawTxt(benchmark::State& state)
{
    for (auto _ : state) {
        ProcessOptions options;
        options.argv = { "mutool", "draw", "-F", "txt", "-o", "/dev/null", corpus().pdf };
        options.timeoutSeconds = 600;
        if (!runProcess(options).succeeded())
            state.SkipWithError("cannot run mutool");
    }
}

BENCHMARK(BM_ExtractChunks_Pdf)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_MutoolDrawTxt)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}

int main(int argc, char** argv)
{
    return bench::runBenchmarksAndPrintRatios(argc, argv, [] { corpus(); }, [](const bench::RatioReporter& times) {
        bench::printRatio("text of a 1,000-page PDF: extractChunks time / mutool draw -F txt's",
            times.ratio("BM_ExtractChunks_Pdf", "BM_MutoolDrawTxt"), "<=", 1.5);
    });
}
