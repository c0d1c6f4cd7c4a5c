// Speed of qelthumb against the reference tools over the same files, printed as ratios at the end
// of one run: 60 PDFs and 60 large JPEGs six at a time, and one single-page PDF as one process.

#include "platform/core/Paths.h"
#include "platform/core/Process.h"
#include "platform/pdf/testing/PdfFixtures.h"
#include "tests/support/TempHome.h"

#include <gdk-pixbuf/gdk-pixbuf.h>

#include "bench/support/RatioReport.h"
#include "bench/support/ReferenceTool.h"


namespace {

using namespace ikw;

constexpr int kFileCount = 60;

struct Corpus {
    testing::TempHome home;
    std::vector<std::string> pdfs;
    std::vector<std::string> jpegs;
    std::string singlePage = home.file("single.pdf");

    Corpus()
    {
        const std::string photo = home.file("photo.jpg");
        bench::writeGradientJpeg(photo, 4000, 3000);
        const std::string imagePdf = home.file("image-page.pdf");
        bench::runTool({ "mutool", "convert", "-o", imagePdf, photo });
        const std::string textPdf = pdf::testing::numberedPdf(5);
        const std::string imageBytes = testing::readTestFile(imagePdf);
        for (int i = 0; i < kFileCount; ++i) {
            // Every fourth PDF is a full-page photograph, the rest text pages.
            const std::string pdfPath = home.file("pdf/" + std::to_string(i) + ".pdf");
            testing::writeTestFile(pdfPath, i % 4 == 0 && !imageBytes.empty() ? imageBytes : textPdf);
            pdfs.push_back(pdfPath);
            const std::string jpegPath = home.file("jpeg/" + std::to_string(i) + ".jpg");
            testing::writeTestFile(jpegPath, testing::readTestFile(photo));
            jpegs.push_back(jpegPath);
        }
        pdf::testing::writeFixture(singlePage, pdf::testing::numberedPdf(1));
    }

    std::string output(const std::string& source, const char* tool) const
    {
        return home.file(std::string("out-") + tool + "/" + lastPathComponent(source) + ".png");
    }
};

Corpus& corpus()
{
    static Corpus instance;
    return instance;
}

void clearOutputs(const char* tool)
{
    testing::removeTree(corpus().home.file(std::string("out-") + tool));
    testing::writeTestFile(corpus().home.file(std::string("out-") + tool + "/.keep"), "");
}

void qelthumbOver(benchmark::State& state, const std::vector<std::string>& sources)
{
    std::string jobs;
    for (const auto& source : sources)
        jobs += source + "\t" + corpus().output(source, "qelthumb") + "\n";
    for (auto _ : state) {
        state.PauseTiming();
        clearOutputs("qelthumb");
        state.ResumeTiming();
        if (!bench::runTool({ QELTHUMB_BINARY }, jobs).succeeded())
            state.SkipWithError("qelthumb failed");
    }
}

// The reference tool over the same files, six at a time, through xargs. The script is fixed; the
// paths arrive as data on its input.
void referenceOver(benchmark::State& state, const std::vector<std::string>& sources, const std::string& script)
{
    std::string lines;
    for (const auto& source : sources)
        lines += source + "\n" + corpus().output(source, "reference") + "\n";
    for (auto _ : state) {
        state.PauseTiming();
        clearOutputs("reference");
        state.ResumeTiming();
        if (!bench::runTool({ "/bin/sh", "-c", "xargs -d '\\n' -n 2 -P 6 /bin/sh -c '" + script + "' sh" }, lines).succeeded())
            state.SkipWithError("reference tool failed");
    }
}

void BM_Pdfs_Qelthumb(benchmark::State& state) { qelthumbOver(state, corpus().pdfs); }
void BM_Pdfs_Mutool(benchmark::State& state)
{
    referenceOver(state, corpus().pdfs, "mutool draw -q -F png -w 1024 -h 1024 -o \"$2\" \"$1\" 1");
}
void BM_Jpegs_Qelthumb(benchmark::State& state) { qelthumbOver(state, corpus().jpegs); }
void BM_Jpegs_PixbufThumbnailer(benchmark::State& state)
{
    referenceOver(state, corpus().jpegs, "gdk-pixbuf-thumbnailer -s 1024 \"$1\" \"$2\"");
}

void BM_OnePage_Qelthumb(benchmark::State& state) { qelthumbOver(state, { corpus().singlePage }); }
void BM_OnePage_Mutool(benchmark::State& state)
{
    const std::string output = corpus().output(corpus().singlePage, "reference");
    clearOutputs("reference");
    for (auto _ : state) {
        if (!bench::runTool({ "mutool", "draw", "-q", "-F", "png", "-w", "1024", "-h", "1024", "-o", output, corpus().singlePage, "1" }).succeeded())
            state.SkipWithError("mutool failed");
    }
}

// The one-job runs go first, before the large-image runs leave the machine busy with their files.
BENCHMARK(BM_OnePage_Qelthumb)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);
BENCHMARK(BM_OnePage_Mutool)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);
BENCHMARK(BM_Pdfs_Qelthumb)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_Pdfs_Mutool)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_Jpegs_Qelthumb)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK(BM_Jpegs_PixbufThumbnailer)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

}

int main(int argc, char** argv)
{
    return bench::runBenchmarksAndPrintRatios(argc, argv, [] { corpus(); }, [](const bench::RatioReporter& times) {
        bench::printRatio("60 PDFs six at a time: qelthumb / mutool draw", times.ratio("BM_Pdfs_Qelthumb", "BM_Pdfs_Mutool"), "<=", 1.1);
        bench::printRatio("60 large JPEGs six at a time: qelthumb / gdk-pixbuf-thumbnailer",
            times.ratio("BM_Jpegs_Qelthumb", "BM_Jpegs_PixbufThumbnailer"), "<=", 1.1);
        bench::printRatio("one single-page PDF, whole process: qelthumb / mutool draw", times.ratio("BM_OnePage_Qelthumb", "BM_OnePage_Mutool"), "<=", 1.2);
    });
}
