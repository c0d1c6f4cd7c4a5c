// Speed of the PDF layer against the reference tools, printed as ratios at the end of one run:
// rotating every page of a 1,000-page file against qpdf, rendering a page at 150 dpi against
// mutool, and 16 concurrent page-image requests against one thread.

#include "docops/PageTransforms.h"
#include "platform/core/Process.h"
#include "platform/core/WorkQueue.h"
#include "platform/pdf/PageImage.h"
#include "platform/pdf/testing/PdfFixtures.h"
#include "review/PageImageSchemeHandler.h"
#include "review/fake/FakeSchemeRequest.h"
#include "tests/support/TempHome.h"

#include <benchmark/benchmark.h>

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
        pdf::testing::writeFixture(thousandPages, pdf::testing::numberedPdf(1000));
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
    ProcessOptions options;
    options.argv = std::move(argv);
    options.timeoutSeconds = 120;
    if (!runProcess(options).succeeded())
        state.SkipWithError(("cannot run " + options.argv[0]).c_str());
}

void BM_RotateAll_Inkwarden(benchmark::State& state)
{
    for (auto _ : state) {
        const std::optional<pdf::Document> document = pdf::Document::openFile(files().thousandPages);
        std::set<int> all;
        for (int index = 0; index < document->pageCount(); ++index)
            all.insert(all.end(), index);
        const std::optional<pdf::Document> rotated = docops::pgRotate(*document, all, 90);
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

// Remembers each benchmark's real time per iteration while printing as usual.
class RecordingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration && run.iterations > 0 && !run.error_occurred)
                m_seconds[run.benchmark_name()] = run.real_accumulated_time / static_cast<double>(run.iterations);
        }
        ConsoleReporter::ReportRuns(runs);
    }

    double seconds(const std::string& name) const
    {
        const auto found = m_seconds.find(name);
        return found == m_seconds.end() ? 0 : found->second;
    }

private:
    std::map<std::string, double> m_seconds;
};

void printRatio(const char* what, double value, const char* comparison, double target)
{
    if (value <= 0 || !std::isfinite(value)) {
        std::printf("%-58s   n/a (a benchmark did not run)\n", what);
        return;
    }
    const bool met = comparison[0] == '<' ? value <= target : value >= target;
    std::printf("%-58s %6.2f  (target %s %.2f: %s)\n", what, value, comparison, target, met ? "met" : "MISSED");
}

}

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const auto ratio = [&](const std::string& numerator, const std::string& denominator) {
        const double below = reporter.seconds(denominator);
        return below > 0 ? reporter.seconds(numerator) / below : 0.0;
    };
    const double cores = std::max(1u, std::thread::hardware_concurrency());
    std::printf("\n");
    printRatio("rotate 1,000 pages and write: time / qpdf's", ratio("BM_RotateAll_Inkwarden/real_time", "BM_RotateAll_Qpdf/real_time"), "<=", 1.0);
    printRatio("render a page at 150 dpi: time / mutool's", ratio("BM_Render150_Inkwarden/real_time", "BM_Render150_Mutool/real_time"), "<=", 1.2);
    printRatio("16 concurrent vtpage renders: throughput / one thread's",
        ratio("BM_PageImages16_OneThread/real_time", "BM_PageImages16_Concurrent/real_time"), ">=", 0.75 * std::min(cores, 4.0));
    return 0;
}
