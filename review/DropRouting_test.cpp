#include "review/DropRouting.h"

#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

namespace ikw {
namespace {

TEST(DropRouting, RoutesByWindowKindAndWhatWasDropped)
{
    struct Case {
        const char* what;
        DropTarget target;
        std::vector<std::string> paths;
        DropRoute route;
    };
    const DropTarget pdfReader { false, true, "/docs/open.pdf", true };
    const Case cases[] = {
        { "compare intake takes everything", { true, true, "/docs/open.pdf", true }, { "/x.pdf" }, DropRoute::CompareIntake },
        { "PDFs on a PDF reader ask the rail", pdfReader, { "/x.pdf", "/y.docx" }, DropRoute::AskRail },
        { "upper-case .PDF counts", pdfReader, { "/X.PDF" }, DropRoute::AskRail },
        { "no PDF among them", pdfReader, { "/y.docx" }, DropRoute::Open },
        { "a reader of a Word document", { false, true, "/docs/open.docx", true }, { "/x.pdf" }, DropRoute::Open },
        { "the reader's PDF is gone", { false, true, "/docs/open.pdf", false }, { "/x.pdf" }, DropRoute::Open },
        { "not a reader", { false, false, "/docs/open.pdf", true }, { "/x.pdf" }, DropRoute::Open },
    };
    for (const auto& c : cases)
        EXPECT_EQ(routeDrop(c.target, c.paths), c.route) << c.what;
    EXPECT_EQ(droppedPDFs({ "/a.pdf", "/b.docx", "/c.PDF" }), (std::vector<std::string> { "/a.pdf", "/c.PDF" }));
}

TEST(DropRouting, TwoDocumentsOpenAsAPair)
{
    testing::TempHome home;
    const auto folder = home.file("folder.pdf");
    testing::writeTestFile(folder + "/inside", "");
    struct Case {
        std::vector<std::string> paths;
        bool pair;
    };
    const Case cases[] = {
        { { "/a.pdf", "/b.PDF" }, true },
        { { "/a.docx", "/notes.md" }, true },
        { { "/missing.key", "/b.pages" }, true }, // a path that does not exist is no folder
        { { "/a.pdf", folder }, false },
        { { "/a.pdf", "/b.png" }, false },
        { { "/a.pdf" }, false },
        { { "/a.pdf", "/b.pdf", "/c.pdf" }, false },
    };
    for (const auto& c : cases)
        EXPECT_EQ(isDocumentPair(c.paths), c.pair) << c.paths.front() << " + " << c.paths.size();
}

TEST(DropRouting, AsksTheRailAndReadsItsAnswer)
{
    EXPECT_EQ(railDropScript(120, 40.5), "(window.__ikwRailDropIndex?window.__ikwRailDropIndex(120.0,40.5):'')");
    struct Case {
        ui::ScriptResult result;
        bool over;
        std::optional<int> at;
    };
    const Case cases[] = {
        { { Json(R"({"over":true,"at":0})"), std::nullopt }, true, 0 },
        { { Json(R"({"over":true})"), std::nullopt }, true, std::nullopt },
        { { Json(R"({"over":false,"at":2})"), std::nullopt }, false, 2 },
        { { Json(R"({"over":"true"})"), std::nullopt }, false, std::nullopt },
        { { Json(""), std::nullopt }, false, std::nullopt },
        { { Json("[1]"), std::nullopt }, false, std::nullopt },
        { { std::nullopt, "ReferenceError" }, false, std::nullopt },
    };
    for (const auto& c : cases) {
        const auto answer = readRailAnswer(c.result);
        EXPECT_EQ(answer.over, c.over);
        EXPECT_EQ(answer.at, c.at);
    }
}

}
}
