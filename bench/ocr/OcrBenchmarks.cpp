// Speed of recognising a scanned document against the `tesseract` command run once per page on the
// same page images, printed as a ratio at the end of one run. An engine started for every page
// would show here as a ratio well above one.

#include "docops/OcrRun.h"

#include "platform/core/Process.h"
#include "platform/ocr/TesseractRecognizer.h"
#include "platform/ocr/testing/PrintedText.h"
#include "tests/support/TempHome.h"

#include "bench/support/RatioReport.h"
#include "bench/support/ReferenceTool.h"

namespace {

using namespace ikw;

constexpr int kPageCount = 20;

struct Corpus {
    testing::TempHome home;
    std::string pdf = home.file("scanned.pdf");
    std::vector<std::string> pageImages;

    Corpus()
    {
        std::vector<std::vector<std::string>> pages;
        for (int page = 1; page <= kPageCount; ++page)
            pages.push_back({ "Scanned page " + std::to_string(page), "The quick brown fox jumps over the lazy dog.",
                "Invoice 2024-" + std::to_string(1000 + page) + " total 1,234.56" });
        testing::writeTestFile(pdf, ocr::testing::scannedPdf(pages));
        // The page images the application recognises: each page at two pixels a point.
        bench::runTool({ "mutool", "draw", "-q", "-r", "144", "-o", home.file("page-%d.png"), pdf });
        for (int page = 1; page <= kPageCount; ++page)
            pageImages.push_back(home.file("page-" + std::to_string(page) + ".png"));
    }
};

Corpus& corpus()
{
    static Corpus instance;
    return instance;
}

void BM_OcrDocument(benchmark::State& state)
{
    ocr::TesseractRecognizer recognizer;
    for (auto _ : state) {
        const auto records = docops::runOCRDoc(corpus().pdf, recognizer);
        if (records.size() != static_cast<std::size_t>(kPageCount) || records.front().text.empty())
            state.SkipWithError("pages not recognised");
    }
}

void BM_TesseractPerPage(benchmark::State& state)
{
    for (auto _ : state) {
        for (const auto& image : corpus().pageImages) {
            if (!bench::runTool({ "tesseract", image, "stdout", "-l", "eng" }).succeeded()) {
                state.SkipWithError("tesseract failed");
                break;
            }
        }
    }
}

BENCHMARK(BM_OcrDocument)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK(BM_TesseractPerPage)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

}

int main(int argc, char** argv)
{
    return bench::runBenchmarksAndPrintRatios(argc, argv, [] { corpus(); }, [](const bench::RatioReporter& times) {
        bench::printRatio("OCR of 20 scanned pages: runOCRDoc / tesseract once per page", times.ratio("BM_OcrDocument", "BM_TesseractPerPage"), "<=", 1.0);
    });
}
