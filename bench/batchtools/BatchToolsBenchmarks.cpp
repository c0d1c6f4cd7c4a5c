// Speed of the batch tools against the reference tools, printed as ratios at the end of one run:
// compressing 20 pages of 4-megapixel Flate images against qpdf's image optimisation (time, and
// the size of the result), and the blank-page test over 1,000 text-less pages against mutool
// drawing the same pages in grey at the same size. The files are made before anything is timed.

#include "docops/BlankPages.h"
#include "docops/ToolRun.h"
#include "platform/core/Process.h"
#include "platform/pdf/Document.h"
#include "platform/pdf/testing/PdfFixtures.h"
#include "platform/pdf/testing/RichPdf.h"
#include "tests/support/TempHome.h"

#include "bench/support/RatioReport.h"
#include "bench/support/ReferenceTool.h"

#include <cstdio>
#include <filesystem>

namespace {

using namespace ikw;

struct Files {
    testing::TempHome home;
    const std::string photos = home.file("photos.pdf");
    const std::string drawings = home.file("drawings.pdf");
    const std::string ours = home.file("ours.pdf");
    const std::string qpdfs = home.file("qpdf.pdf");

    Files()
    {
        pdf::testing::writeFixture(photos, pdf::testing::photoPdf(20, 2000));
        pdf::testing::writeFixture(drawings, pdf::testing::drawingPdf(1000));
    }
};

Files& files()
{
    static Files instance;
    return instance;
}

void runTool(benchmark::State& state, std::vector<std::string> argv)
{
    bench::runReferenceTool(state, std::move(argv), 300);
}

void BM_Compress_Inkwarden(benchmark::State& state)
{
    for (auto _ : state) {
        std::optional<pdf::Document> document = pdf::Document::openFile(files().photos);
        pdf::testing::writeFixture(files().ours, *docops::compressForScreen(*document));
    }
}

void BM_Compress_Qpdf(benchmark::State& state)
{
    for (auto _ : state)
        runTool(state, { "qpdf", "--optimize-images", files().photos, files().qpdfs });
}

void BM_Blank_Inkwarden(benchmark::State& state)
{
    for (auto _ : state) {
        const std::optional<pdf::Document> document = pdf::Document::openFile(files().drawings);
        int blank = 0;
        for (int index = 0; index < document->pageCount(); ++index)
            blank += docops::pageIsBlank(*document, index) ? 1 : 0;
        benchmark::DoNotOptimize(blank);
    }
}

// The blank test draws a Letter page at 800 / 792 pixels per point: 72 x that dpi.
void BM_Blank_Mutool(benchmark::State& state)
{
    for (auto _ : state)
        runTool(state, { "mutool", "draw", "-q", "-c", "gray", "-r", "72.7273", files().drawings });
}

BENCHMARK(BM_Compress_Inkwarden)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Compress_Qpdf)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Blank_Inkwarden)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Blank_Mutool)->Unit(benchmark::kMillisecond)->UseRealTime();

}

int main(int argc, char** argv)
{
    return bench::runBenchmarksAndPrintRatios(argc, argv, [] { files(); }, [](const bench::RatioReporter& times) {
        bench::printRatio("compress 20 pages of 4-megapixel images: time / qpdf's", times.ratio("BM_Compress_Inkwarden", "BM_Compress_Qpdf"), "<=", 1.2);
        const double ours = static_cast<double>(std::filesystem::file_size(files().ours));
        const double theirs = static_cast<double>(std::filesystem::file_size(files().qpdfs));
        bench::printRatio("compress 20 pages of 4-megapixel images: size / qpdf's", ours / theirs, "<=", 1.0);
        bench::printRatio("blank test over 1,000 text-less pages: time / mutool's grey drawing", times.ratio("BM_Blank_Inkwarden", "BM_Blank_Mutool"), "<=", 1.2);
    });
}
