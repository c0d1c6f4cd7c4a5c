// Speed of the reader's quote check against mutool's text extraction, printed as a ratio at the
// end of one run: a phrase on the last page of a generated 1,000-page text PDF, from the reader's
// Base64 to the answer (decode, open, each page's text, NFC, search).

#include "assistants/TextVerification.h"
#include "platform/core/Base64.h"
#include "platform/pdf/testing/PdfFixtures.h"
#include "tests/support/TempHome.h"

#include "bench/support/RatioReport.h"
#include "bench/support/ReferenceTool.h"

namespace {

using namespace ikw;

constexpr int kPages = 1000;
constexpr const char* kPhrase = "the last clause of the settlement";

struct Fixture {
    testing::TempHome home;
    const std::string path = home.file("long.pdf");
    std::string base64;

    Fixture()
    {
        std::vector<pdf::testing::TextFixturePage> pages(kPages);
        for (int index = 0; index < kPages; ++index) {
            auto& lines = pages[static_cast<std::size_t>(index)].lines;
            for (int line = 0; line < 30; ++line)
                lines.push_back("Page " + std::to_string(index + 1) + " line " + std::to_string(line + 1)
                    + ": the parties agree to deliver notice within thirty days of receipt");
        }
        pages.back().lines.push_back(std::string("This is ") + kPhrase + ".");
        const std::string bytes = pdf::testing::textPdf(pages);
        pdf::testing::writeFixture(path, bytes);
        base64 = encodeBase64(bytes);
    }
};

Fixture& fixture()
{
    static Fixture shared;
    return shared;
}

void BM_VerifyQuote_Inkwarden(benchmark::State& state)
{
    for (auto _ : state) {
        if (!assistants::base64PdfContainsQuote(fixture().base64, kPhrase))
            state.SkipWithError("the phrase was not found");
    }
}

void BM_TextExtraction_Mutool(benchmark::State& state)
{
    for (auto _ : state)
        bench::runReferenceTool(state, { "mutool", "draw", "-F", "txt", "-o", "/dev/null", fixture().path });
}

BENCHMARK(BM_VerifyQuote_Inkwarden)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_TextExtraction_Mutool)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}

int main(int argc, char** argv)
{
    return bench::runBenchmarksAndPrintRatios(argc, argv, [] { fixture(); }, [](const bench::RatioReporter& times) {
        bench::printRatio("quote check on the last page of a 1,000-page PDF: time / mutool draw -F txt's",
            times.ratio("BM_VerifyQuote_Inkwarden", "BM_TextExtraction_Mutool"), "<=", 1.2);
    });
}
