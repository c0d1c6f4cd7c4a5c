// Speed of Shrink against the reference tool, printed as a ratio at the end of one run: the whole
// shrink of 20 pages of 4-megapixel Flate images (the rewrite, the temporary copy and the save the
// panel asked for) against qpdf's image optimisation of the same file. The file is made before
// anything is timed.

#include "docops/ShrinkPdf.h"
#include "docops/testing/PageOpHarness.h"
#include "platform/pdf/testing/PdfFixtures.h"
#include "platform/pdf/testing/RichPdf.h"

#include "bench/support/RatioReport.h"
#include "bench/support/ReferenceTool.h"

#include <cstdio>
#include <filesystem>

namespace {

using namespace ikw;

struct Files {
    docops::testing::PageOpHarness harness;
    const std::string photos = harness.file("photos.pdf");
    const std::string ours = harness.file("ours.pdf");
    const std::string qpdfs = harness.file("qpdf.pdf");

    Files()
    {
        pdf::testing::writeFixture(photos, pdf::testing::photoPdf(20, 2000));
        harness.show(photos);
    }
};

Files& files()
{
    static Files instance;
    return instance;
}

void BM_Shrink_Inkwarden(benchmark::State& state)
{
    auto& shown = files();
    for (auto _ : state) {
        shown.harness.host->fakeDialogs.saveAnswers.push_back(shown.ours);
        docops::compressPDF(shown.harness.context());
        shown.harness.settle();
    }
    if (!std::filesystem::exists(shown.ours))
        state.SkipWithError("no copy was saved");
}

void BM_Shrink_Qpdf(benchmark::State& state)
{
    for (auto _ : state)
        bench::runReferenceTool(state, { "qpdf", "--optimize-images", files().photos, files().qpdfs }, 300);
}

BENCHMARK(BM_Shrink_Inkwarden)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Shrink_Qpdf)->Unit(benchmark::kMillisecond)->UseRealTime();

}

int main(int argc, char** argv)
{
    return bench::runBenchmarksAndPrintRatios(argc, argv, [] { files(); }, [](const bench::RatioReporter& times) {
        bench::printRatio("shrink 20 pages of 4-megapixel images: time / qpdf's", times.ratio("BM_Shrink_Inkwarden", "BM_Shrink_Qpdf"), "<=", 1.2);
    });
}
