#include "review/ReviewTestFixture.h"

#include <gmock/gmock.h>

namespace ikw {
namespace {

using testing::ReviewFixture;

class Drops : public ReviewFixture {
protected:
    Drops()
    {
        services.features.recordRecent = [this](const std::vector<std::string>& paths) { log.push_back("recent " + std::to_string(paths.size())); };
        services.features.routeTwoFileOpen = [this](const std::vector<std::string>&) { log.push_back("pair"); };
        services.features.insertDroppedPDFs = [this](ReviewWC&, const std::vector<std::string>& pdfs, std::optional<int> at, const std::string&) {
            log.push_back("insert " + std::to_string(pdfs.size()) + " at " + (at ? std::to_string(*at) : "end"));
        };
        services.features.compareIntakeDrop = [this](ReviewWC&, const std::vector<std::string>&, DropPoint) { log.push_back("intake"); };
    }

    std::vector<std::string> log;
    std::string pdf = testing::writeTestFile(home.file("open.pdf"), "%PDF");
};

TEST_F(Drops, EachDropGoesWhereTheWindowSendsIt)
{
    struct Case {
        const char* what;
        bool reader;
        const char* answer; // the rail's answer, as the page's JSON text
        std::vector<std::string> paths;
        std::vector<std::string> log;
        size_t engineRuns;
    };
    const Case cases[] = {
        { "a folder starts a review here", false, "", { "/folder" }, { "recent 1" }, 1 },
        { "two documents open as a pair", false, "", { "/a.pdf", "/b.docx" }, { "recent 2", "pair" }, 0 },
        { "three documents start a review", false, "", { "/a.pdf", "/b.pdf", "/c.pdf" }, { "recent 3" }, 1 },
        { "PDFs over the rail are inserted", true, R"({"over":true,"at":0})", { "/x.pdf", "/y.docx" }, { "insert 1 at 0" }, 0 },
        { "PDFs beside the rail are opened", true, R"({"over":false})", { "/x.pdf" }, { "recent 1" }, 1 },
        { "a page without the rail function", true, "", { "/x.pdf" }, { "recent 1" }, 1 },
    };
    for (const auto& c : cases) {
        log.clear();
        engineRuns.clear();
        auto window = windows.open(std::nullopt);
        window->isReader = c.reader;
        window->sourcePaths = { pdf };
        viewOf(*window).nextResult = ui::ScriptResult { Json(c.answer), std::nullopt };
        window->readerDrop(c.paths, DropPoint { 10, 20 });
        EXPECT_EQ(log, c.log) << c.what;
        EXPECT_EQ(engineRuns.size(), c.engineRuns) << c.what;
    }
}

TEST_F(Drops, FilesDroppedOnThePageReachTheWindowInDragModesTwoAndThree)
{
    for (const int mode : { 3, 2, 1 }) {
        auto changed = globals.get();
        changed.dragMode = mode;
        ScopedGlobals scoped { changed };
        log.clear();
        auto window = windows.open(std::nullopt);
        viewOf(*window).dropFiles({ "/folder" }, 5, 6);
        EXPECT_EQ(log, mode == 1 ? std::vector<std::string> {} : std::vector<std::string> { "recent 1" }) << mode;
    }
}

TEST_F(Drops, TheCompareIntakeTakesItsOwnDrops)
{
    auto window = windows.open(std::nullopt);
    window->isCompareIntake = true;
    window->readerDrop({ "/a.pdf" }, DropPoint {});
    EXPECT_EQ(log, std::vector<std::string> { "intake" });
}

}
}
