// Speed of printing, printed as a ratio at the end of one run: a 50-page text PDF printed through
// the print port's export to a PDF file at 300 dpi, against mutool drawing the same pages as PNG
// files at 300 dpi. Needs a display (run under xvfb-run); the file is made before any timing.

#include "docops/DocumentPrinting.h"
#include "platform/pdf/testing/PdfFixtures.h"
#include "platform/ui/gtk/GtkSetup.h"
#include "platform/ui/gtk/Printing.h"
#include "tests/support/TempHome.h"

#include "bench/support/RatioReport.h"
#include "bench/support/ReferenceTool.h"

#include <cstdio>

namespace {

using namespace ikw;

struct Files {
    testing::TempHome home;
    const std::string fiftyPages = home.file("fifty.pdf");
    const std::string printed = home.file("printed.pdf");
    const std::string images = home.file("page-%d.png");

    Files()
    {
        std::vector<pdf::testing::TextFixturePage> pages;
        for (int page = 1; page <= 50; ++page) {
            pdf::testing::TextFixturePage text;
            for (int line = 0; line < 40; ++line)
                text.lines.push_back("Page " + std::to_string(page) + ", line " + std::to_string(line) + ": the quick brown fox jumps over the lazy dog.");
            pages.push_back(std::move(text));
        }
        pdf::testing::writeFixture(fiftyPages, pdf::testing::textPdf(pages));
    }
};

Files& files()
{
    static Files instance;
    return instance;
}

void BM_Print300_Inkwarden(benchmark::State& state)
{
    ui::gtk3::Printing printing;
    for (auto _ : state) {
        std::optional<pdf::Document> document = pdf::Document::openFile(files().fiftyPages);
        docops::printPdf(printing, nullptr, std::move(*document), "bench", files().printed);
    }
}

void BM_Draw300_Mutool(benchmark::State& state)
{
    for (auto _ : state) {
        bench::runReferenceTool(state, { "mutool", "draw", "-q", "-r", "300", "-o", files().images, files().fiftyPages });
    }
}

BENCHMARK(BM_Print300_Inkwarden)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK(BM_Draw300_Mutool)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

}

int main(int argc, char** argv)
{
    if (!ui::gtk3::initializeGtk()) {
        std::puts("print benchmark: no display (run under xvfb-run); skipped");
        return 0;
    }
    return bench::runBenchmarksAndPrintRatios(argc, argv, [] { files(); }, [](const bench::RatioReporter& times) {
        bench::printRatio("print 50 pages at 300 dpi: time / mutool's PNGs", times.ratio("BM_Print300_Inkwarden", "BM_Draw300_Mutool"), "<=", 3.0);
    });
}
