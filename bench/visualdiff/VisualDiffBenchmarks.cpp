// Speed of one visual-diff answer against mutool, printed as a ratio at the end of one run: two
// pages of a generated text PDF rendered at scale 1.5, compared in cells and encoded as three PNGs
// (A, B and the overlay), against "mutool draw -r 108" (the same scale) writing the two pages as PNG.

#include "crossdoc/VisualDiffAnswer.h"
#include "platform/core/Process.h"
#include "platform/pdf/testing/PdfFixtures.h"
#include "tests/support/TempHome.h"

#include "bench/support/RatioReport.h"

#include <random>

namespace {

using namespace ikw;

constexpr int kLinesPerPage = 46;

pdf::testing::TextFixturePage prosePage(std::mt19937& random)
{
    static const char* const kWords[] = { "the", "agreement", "party", "shall", "deliver", "notice", "within", "days",
        "of", "receipt", "payment", "invoice", "clause", "term", "court", "witness", "exhibit", "schedule", "amended" };
    std::uniform_int_distribution<std::size_t> word(0, std::size(kWords) - 1);
    pdf::testing::TextFixturePage page;
    for (int line = 0; line < kLinesPerPage; ++line) {
        std::string text;
        for (int count = 0; count < 13; ++count)
            text += std::string(count ? " " : "") + kWords[word(random)];
        page.lines.push_back(std::move(text));
    }
    return page;
}

struct Corpus {
    testing::TempHome home;
    std::string a = home.file("a.pdf");       // the first page
    std::string b = home.file("b.pdf");       // the second page, other words
    std::string both = home.file("both.pdf"); // the two pages, for mutool
    std::string output = home.file("out/page-%d.png");

    Corpus()
    {
        std::mt19937 random(7);
        const auto first = prosePage(random);
        const auto second = prosePage(random);
        pdf::testing::writeFixture(a, pdf::testing::textPdf({ first }));
        pdf::testing::writeFixture(b, pdf::testing::textPdf({ second }));
        pdf::testing::writeFixture(both, pdf::testing::textPdf({ first, second }));
        testing::writeTestFile(home.file("out/.keep"), "");
    }
};

Corpus& corpus()
{
    static Corpus instance;
    return instance;
}

void BM_DiffAnswer(benchmark::State& state)
{
    for (auto _ : state) {
        const auto answer = crossdoc::visualDiffPage(corpus().a, corpus().b, 0);
        if (!answer || !answer->contains("overlay")) {
            state.SkipWithError("no answer");
            break;
        }
        benchmark::DoNotOptimize(toJson(*answer));
    }
}

void BM_MutoolDraw(benchmark::State& state)
{
    for (auto _ : state) {
        ProcessOptions options;
        options.argv = { "mutool", "draw", "-q", "-r", "108", "-o", corpus().output, corpus().both, "1-2" };
        options.timeoutSeconds = 120;
        if (!runProcess(options).succeeded()) {
            state.SkipWithError("mutool failed");
            break;
        }
    }
}

BENCHMARK(BM_DiffAnswer)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(30);
BENCHMARK(BM_MutoolDraw)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(30);

}

int main(int argc, char** argv)
{
    return bench::runBenchmarksAndPrintRatios(argc, argv, [] { corpus(); }, [](const bench::RatioReporter& times) {
        bench::printRatio("one visual-diff answer (2 pages, 3 PNGs) / mutool draw -r 108 of the 2 pages",
            times.ratio("BM_DiffAnswer", "BM_MutoolDraw"), "<=", 2.0);
    });
}
