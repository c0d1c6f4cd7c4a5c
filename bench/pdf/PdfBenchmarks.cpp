// Speed of the PDF layer against the reference tools, printed as ratios at the end of one run:
// rotating every page of a 1,000-page file with an outline, page labels and a form against qpdf,
// rendering a page at 150 dpi against mutool, and 16 concurrent page-image requests against one
// thread. The files are made before anything is timed.

#include "docops/PageTransforms.h"
#include "platform/core/Process.h"
#include "platform/core/WorkQueue.h"
#include "platform/pdf/PageImage.h"
#include "platform/pdf/testing/PdfFixtures.h"
#include "platform/pdf/testing/RichPdf.h"
#include "review/PageImageSchemeHandler.h"
#include "review/fake/FakeSchemeRequest.h"
#include "tests/support/TempHome.h"

#include "bench/support/RatioReport.h"
#include "bench/support/ReferenceTool.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <numeric>
#include <thread>

namespace {

using namespace ikw;

struct Files {
    testing::TempHome home;
    const std::string thousandPages = home.file("thousand.pdf");
    const std::string twoHundredPages = home.file("two-hundred.pdf");
    const std::string output = home.file("out.pdf");
    const std::string image = home.file("page.png");

    Files()
    {
        pdf::testing::writeFixture(thousandPages, pdf::testing::richPdf({ .pageCount = 1000 }));
        pdf::testing::writeFixture(twoHundredPages, pdf::testing::numberedPdf(200));
    }
};

Files& files()
{
    static Files instance;
    return instance;
}

void runTool(benchmark::State& state, std::vector<std::string> argv)
{
    bench::runReferenceTool(state, std::move(argv), 120);
}

void BM_RotateAll_Inkwarden(benchmark::State& state)
{
    for (auto _ : state) {
        std::optional<pdf::EditableDocument> document = pdf::EditableDocument::open(files().thousandPages);
        std::set<int> all;
        for (int index = 0; index < document->pageCount(); ++index)
            all.insert(all.end(), index);
        const std::optional<pdf::EditableDocument> rotated = docops::pgRotate(std::move(*document), all, 90);
        pdf::testing::writeFixture(files().output, *rotated->toBytes());
    }
}

void BM_RotateAll_Qpdf(benchmark::State& state)
{
    for (auto _ : state)
        runTool(state, { "qpdf", "--rotate=+90:1-z", files().thousandPages, files().output });
}

void BM_Render150_Inkwarden(benchmark::State& state)
{
    for (auto _ : state) {
        const std::optional<pdf::Document> document = pdf::Document::openFile(files().twoHundredPages);
        const std::optional<pdf::PageImage> image = pdf::renderPageImage(*document, 0, 150.0 / 72.0, pdf::PageBox::Crop);
        pdf::testing::writeFixture(files().image, *pdf::encodePng(*image));
    }
}

void BM_Render150_Mutool(benchmark::State& state)
{
    for (auto _ : state)
        runTool(state, { "mutool", "draw", "-q", "-r", "150", "-c", "rgb", "-o", files().image, files().twoHundredPages, "1" });
}

// 16 page-image requests of different pages of one 200-page file, answered by the handler.
void renderSixteen(benchmark::State& state, review::PageImageSchemeHandler& handler)
{
    for (auto _ : state) {
        std::vector<review::FakeSchemeRequest> requests;
        for (int index = 0; index < 16; ++index)
            requests.emplace_back("vtpage://page/?p=" + files().twoHundredPages + "&i=" + std::to_string(index * 12));
        for (const review::FakeSchemeRequest& request : requests)
            handler.start(request.request(), request.reply());
        for (const review::FakeSchemeRequest& request : requests) {
            if (!request.waitForAnswer() || !request.response())
                state.SkipWithError("a page image failed");
        }
    }
}

void BM_PageImages16_OneThread(benchmark::State& state)
{
    WorkQueue queue("bench.vtpage.single", 1);
    review::PageImageSchemeHandler handler(queue, std::make_shared<review::PageImageDocumentCache>());
    renderSixteen(state, handler);
}

void BM_PageImages16_Concurrent(benchmark::State& state)
{
    review::PageImageSchemeHandler handler;
    renderSixteen(state, handler);
}

BENCHMARK(BM_RotateAll_Inkwarden)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RotateAll_Qpdf)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Render150_Inkwarden)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Render150_Mutool)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PageImages16_OneThread)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PageImages16_Concurrent)->Unit(benchmark::kMillisecond)->UseRealTime();

}

int main(int argc, char** argv)
{
    return bench::runBenchmarksAndPrintRatios(argc, argv, [] { files(); }, [](const bench::RatioReporter& times) {
        const double cores = std::max(1u, std::thread::hardware_concurrency());
        bench::printRatio("rotate 1,000 pages and write: time / qpdf's", times.ratio("BM_RotateAll_Inkwarden", "BM_RotateAll_Qpdf"), "<=", 0.5);
        bench::printRatio("render a page at 150 dpi: time / mutool's", times.ratio("BM_Render150_Inkwarden", "BM_Render150_Mutool"), "<=", 1.2);
        bench::printRatio("16 concurrent vtpage renders: throughput / one thread's",
            times.ratio("BM_PageImages16_OneThread", "BM_PageImages16_Concurrent"), ">=", 0.75 * std::min(cores, 4.0));
    });
}
