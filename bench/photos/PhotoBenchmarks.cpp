// Speed of the photo sorter's export (fetch, fit into 1600 x 1600, JPEG at quality 90, map) over
// 100 camera-sized JPEGs against ImageMagick's convert doing the same resize one file after
// another, printed as a ratio at the end of one run.

#include "assistants/PhotoExport.h"

#include "platform/core/Paths.h"
#include "platform/photos/FolderPhotoLibrary.h"
#include "tests/support/TempHome.h"

#include "bench/support/RatioReport.h"
#include "bench/support/ReferenceTool.h"

#include <filesystem>

namespace {

using namespace ikw;

constexpr int kPhotoCount = 100;

struct Corpus {
    testing::TempHome home;
    std::vector<std::string> photos;

    Corpus()
    {
        for (int i = 0; i < kPhotoCount; ++i) {
            const std::string path = home.file("Pictures/IMG_" + std::to_string(1000 + i) + ".jpg");
            std::filesystem::create_directories(parentPath(path));
            bench::writeGradientJpeg(path, 4000, 3000);
            photos.push_back(path);
        }
    }

    std::string library() const { return home.file("Pictures"); }
    std::string output(const char* tool) const { return home.file(std::string("out-") + tool); }
};

Corpus& corpus()
{
    static Corpus instance;
    return instance;
}

void clearOutput(const char* tool)
{
    std::filesystem::remove_all(corpus().output(tool));
    std::filesystem::create_directories(corpus().output(tool));
}

void BM_Export(benchmark::State& state)
{
    const photos::FolderPhotoLibrary library({ .folder = corpus().library() });
    for (auto _ : state) {
        state.PauseTiming();
        clearOutput("export");
        state.ResumeTiming();
        const auto assets = library.fetchNewestImages(assistants::kPhotoExportLimit);
        assistants::exportPhotos(library, assets, corpus().output("export"), {});
        state.PauseTiming();
        if (assets.size() != kPhotoCount || std::filesystem::file_size(corpus().output("export") + "/p0099.jpg") == 0)
            state.SkipWithError("photos missing");
        state.ResumeTiming();
    }
}

void BM_Convert(benchmark::State& state)
{
    // ImageMagick's own program, not whatever else answers to the name first on PATH.
    const std::string convert = std::filesystem::exists("/usr/bin/convert") ? "/usr/bin/convert" : "convert";
    for (auto _ : state) {
        state.PauseTiming();
        clearOutput("convert");
        state.ResumeTiming();
        for (std::size_t i = 0; i < corpus().photos.size(); ++i) {
            const std::string out = corpus().output("convert") + "/" + std::to_string(i) + ".jpg";
            if (!bench::runTool({ convert, corpus().photos[i], "-resize", "1600x1600", "-quality", "90", out }).succeeded()) {
                state.SkipWithError("convert failed");
                break;
            }
        }
    }
}

BENCHMARK(BM_Export)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
// The reference takes minutes: one pass measures it well enough.
BENCHMARK(BM_Convert)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

}

int main(int argc, char** argv)
{
    return bench::runBenchmarksAndPrintRatios(argc, argv, [] { corpus(); }, [](const bench::RatioReporter& times) {
        bench::printRatio("export of 100 4000 x 3000 JPEGs: export / convert -resize 1600x1600 -quality 90 one after another",
            times.ratio("BM_Export", "BM_Convert"), "<=", 1.0);
    });
}
