// Speed of Bates stamping against the reference tool, printed as a ratio at the end of one run:
// stamping a 1,000-page text PDF with the defaults (manifest and load file included) against qpdf
// laying a ready-made 1,000-page PDF of labels over the same file. The files are made before
// anything is timed.

#include "legal/BatesStamper.h"
#include "platform/core/Process.h"
#include "platform/pdf/PageDrawingWriter.h"
#include "platform/pdf/testing/PdfFixtures.h"
#include "tests/support/TempHome.h"

#include "bench/support/RatioReport.h"


namespace {

using namespace ikw;

constexpr int pageCount = 1000;

// A page of prose-like lines, so that each page carries text as a letter or a brief does.
pdf::testing::TextFixturePage textPage(int number)
{
    pdf::testing::TextFixturePage page;
    page.lines.push_back("Page " + std::to_string(number));
    for (int line = 0; line < 40; ++line)
        page.lines.push_back("Line " + std::to_string(line) + " of page " + std::to_string(number)
            + ": the parties agree that the terms set out below apply.");
    return page;
}

// One label per page at the bottom right, as the stamper places it, in the base-14 font that
// every reader has: the overlay a hand-made production would use.
std::string labelsPdf()
{
    const legal::BatesConfig config;
    std::vector<std::string> objects = { "<< /Type /Catalog /Pages 2 0 R >>", "",
        "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica-Bold /Encoding /WinAnsiEncoding >>" };
    std::string kids;
    for (int number = 1; number <= pageCount; ++number) {
        const std::string label = config.label(number);
        const pdf::TextExtent extent = pdf::measureText(pdf::StandardFont::helveticaBold, label, config.fontSize);
        const std::string content = "BT /F1 10 Tf 0.08 0.09 0.11 rg " + std::to_string(612 - config.margin - extent.width) + " "
            + std::to_string(config.margin + extent.descent) + " Td (" + label + ") Tj ET";
        const std::size_t pageObject = objects.size() + 1;
        objects.push_back("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents " + std::to_string(pageObject + 1)
            + " 0 R /Resources << /Font << /F1 3 0 R >> >> >>");
        objects.push_back("<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream");
        kids += std::to_string(pageObject) + " 0 R ";
    }
    objects[1] = "<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(pageCount) + " >>";
    return pdf::testing::objectsPdf(objects);
}

struct Files {
    testing::TempHome home;
    const std::string source = home.file("in.pdf");
    const std::string labels = home.file("labels.pdf");
    const std::string output = home.file("out.pdf");
    int run = 0;

    Files()
    {
        std::vector<pdf::testing::TextFixturePage> pages;
        for (int number = 1; number <= pageCount; ++number)
            pages.push_back(textPage(number));
        pdf::testing::writeFixture(source, pdf::testing::textPdf(pages));
        pdf::testing::writeFixture(labels, labelsPdf());
    }

    // A new output folder for every run: a folder that has the source already skips it.
    std::string freshFolder() { return home.file("Bates-Stamped-" + std::to_string(++run)); }
};

Files& files()
{
    static Files instance;
    return instance;
}

void BM_Stamp1000_Inkwarden(benchmark::State& state)
{
    for (auto _ : state) {
        const legal::BatesStamper::BatesRunResult result = legal::BatesStamper::stamp({ files().source }, files().freshFolder(), {}, std::nullopt);
        if (result.error || result.pageCount != pageCount)
            state.SkipWithError("the stamp run failed");
    }
}

void BM_Overlay1000_Qpdf(benchmark::State& state)
{
    for (auto _ : state) {
        ProcessOptions options;
        options.argv = { "qpdf", files().source, "--overlay", files().labels, "--", files().output };
        options.timeoutSeconds = 120;
        if (!runProcess(options).succeeded())
            state.SkipWithError("cannot run qpdf");
    }
}

BENCHMARK(BM_Stamp1000_Inkwarden)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Overlay1000_Qpdf)->Unit(benchmark::kMillisecond)->UseRealTime();

}

int main(int argc, char** argv)
{
    return bench::runBenchmarksAndPrintRatios(argc, argv, [] { files(); }, [](const bench::RatioReporter& times) {
        bench::printRatio("Bates-stamp 1,000 pages with manifest and load file: time / qpdf overlay's",
            times.ratio("BM_Stamp1000_Inkwarden", "BM_Overlay1000_Qpdf"), "<=", 1.5);
    });
}
