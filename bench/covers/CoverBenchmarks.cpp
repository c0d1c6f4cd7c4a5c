// Speed of the File History page's covers on an empty cache against mutool drawing the same first
// pages as PNG in the same box, four at a time, printed as a ratio at the end of one run.

#include "library/HistoryCovers.h"

#include "platform/core/FileSystem.h"
#include "platform/core/Process.h"
#include "platform/core/fake/ManualMainQueue.h"
#include "platform/imaging/thumbnails/SystemRenderer.h"
#include "platform/pdf/testing/PdfFixtures.h"
#include "tests/support/TempHome.h"

#include <gdk-pixbuf/gdk-pixbuf.h>

#include "bench/support/RatioReport.h"
#include "bench/support/ReferenceTool.h"

namespace {

using namespace ikw;

constexpr int kFileCount = 48;

struct Corpus {
    testing::TempHome home;
    std::vector<std::string> pdfs;

    Corpus()
    {
        const std::string photo = home.file("photo.jpg");
        bench::writeGradientJpeg(photo, 2400, 1800);
        const std::string imagePdf = home.file("image-page.pdf");
        bench::runTool({ "mutool", "convert", "-o", imagePdf, photo });
        const std::string textPdf = pdf::testing::numberedPdf(5);
        const std::string imageBytes = testing::readTestFile(imagePdf);
        for (int i = 0; i < kFileCount; ++i) {
            // Every fourth PDF is a full-page photograph, the rest text pages.
            const std::string path = home.file("pdf/" + std::to_string(i) + ".pdf");
            testing::writeTestFile(path, i % 4 == 0 && !imageBytes.empty() ? imageBytes : textPdf);
            pdfs.push_back(path);
        }
    }

    std::string folder(const char* tool) const { return home.file(std::string("out-") + tool); }
};

Corpus& corpus()
{
    static Corpus instance;
    return instance;
}

void clearOutputs(const char* tool)
{
    testing::removeTree(corpus().folder(tool));
    testing::writeTestFile(corpus().folder(tool) + "/.keep", "");
}

void BM_Covers(benchmark::State& state)
{
    ManualMainQueue queue;
    library::HistoryCovers covers(std::make_shared<thumbnail::SystemRenderer>(), library::CoverSettings { .folder = corpus().folder("covers") },
        realFileSystem());
    for (auto _ : state) {
        state.PauseTiming();
        clearOutputs("covers");
        state.ResumeTiming();
        std::size_t made = 0;
        bool answered = false;
        covers.render(corpus().pdfs, [&](const library::CoverMap& map) {
            made = map.size();
            answered = true;
        });
        if (!queue.runUntil([&] { return answered; }, 600) || made != corpus().pdfs.size())
            state.SkipWithError("covers missing");
    }
}

void BM_Mutool(benchmark::State& state)
{
    std::string lines;
    for (const auto& source : corpus().pdfs)
        lines += source + "\n" + corpus().folder("reference") + "/" + std::to_string(&source - corpus().pdfs.data()) + ".png\n";
    for (auto _ : state) {
        state.PauseTiming();
        clearOutputs("reference");
        state.ResumeTiming();
        // The script is fixed; the paths arrive as data on its input.
        const std::string script = "mutool draw -q -F png -w 660 -h 854 -o \"$2\" \"$1\" 1";
        if (!bench::runTool({ "/bin/sh", "-c", "xargs -d '\\n' -n 2 -P 4 /bin/sh -c '" + script + "' sh" }, lines).succeeded())
            state.SkipWithError("mutool failed");
    }
}

BENCHMARK(BM_Covers)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_Mutool)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}

int main(int argc, char** argv)
{
    return bench::runBenchmarksAndPrintRatios(argc, argv, [] { corpus(); }, [](const bench::RatioReporter& times) {
        bench::printRatio("covers of 48 PDFs on an empty cache: covers / mutool draw four at a time", times.ratio("BM_Covers", "BM_Mutool"), "<=", 1.5);
    });
}
