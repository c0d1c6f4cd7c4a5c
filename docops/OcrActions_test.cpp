#include "docops/OcrActions.h"

#include "docops/OcrCache.h"
#include "docops/ReviewPageOps.h"
#include "platform/core/WorkQueue.h"
#include "platform/ocr/fake/FakeRecognizer.h"
#include "platform/pdf/testing/PdfFixtures.h"
#include "platform/ui/PageScript.h"
#include "review/PageBridgeTestFixture.h"

#include <gtest/gtest.h>

namespace ikw::docops {
namespace {

constexpr const char* kReaderStart = "if(window.ikwReaderOCRProgress){try{ikwReaderOCRProgress({done:0,total:1})}catch(e){}}";
constexpr const char* kReaderEnd = "if(window.ikwReaderOCRProgress){try{ikwReaderOCRProgress({done:1,total:1})}catch(e){}}";

struct SearchCall {
    std::string q;
    std::vector<std::string> dirs;
    std::vector<std::string> files;
    bool operator==(const SearchCall&) const = default;
};

class OcrActionsTest : public ikw::testing::PageBridgeFixture {
protected:
    OcrActionsTest()
    {
        registerActions(bridge->actions, PageOpServices { .ocr = {
            .workers = &workers,
            .recognizer = recognizer,
            // The search answers with the cached text of its files, which must be written by then.
            .search = [this](const std::string& q, const std::vector<std::string>& dirs, const std::vector<std::string>& files) {
                searches.push_back({ q, dirs, files });
                Json texts = Json::array();
                for (const std::string& file : files)
                    texts.push_back(ocrCacheRead(file).value_or(OcrPageTexts {})[1]);
                return Json { { "texts", texts } };
            },
            .scopeDirs = [this](const ReviewWC&) { return std::vector<std::string> { home.file("scope") }; },
        } });
    }

    const std::vector<std::string>& settle()
    {
        workers.waitUntilIdle();
        queue.drain();
        return view().evaluated;
    }

    std::string pdf(const std::string& name, int pages = 1)
    {
        return ikw::testing::writeTestFile(home.file(name), pdf::testing::numberedPdf(std::vector<pdf::testing::FixturePage>(pages, { .mediaBox = { 0, 0, 50, 20 } })));
    }

    static std::string progress(int done, int total, const std::string& name)
    {
        return ui::guardedCall("ikwOCRProgress", toJson(Json { { "done", done }, { "total", total }, { "name", name } }));
    }
    static std::string pageProgress(int done, int total, const std::string& name)
    {
        return ui::guardedCall("ikwOCRPageProgress", toJson(Json { { "done", done }, { "total", total }, { "name", name } }));
    }

    std::shared_ptr<ocr::fake::FakeRecognizer> recognizer = std::make_shared<ocr::fake::FakeRecognizer>();
    std::vector<SearchCall> searches;
    WorkQueue workers { "ocr-tests", 2 };
};

TEST_F(OcrActionsTest, CrossFolderWithoutTargetsOnlySearchesAgain)
{
    window->sourcePaths = { home.file("a.PDF"), home.file("notes.txt"), home.file("b.pdf") };
    send("qeliz://ocr?q=%20invoice%0A");
    EXPECT_EQ(settle(), (std::vector<std::string> { ui::guardedCall("ikwSearchResults", R"({"texts":["",""]})"),
                            "if(window.ikwOCRDone){try{ikwOCRDone({total:0})}catch(e){}}" }));
    EXPECT_EQ(searches, (std::vector<SearchCall> { { "invoice", { home.file("scope") }, { home.file("a.PDF"), home.file("b.pdf") } } }));
    EXPECT_EQ(recognizer->images(), 0);
}

TEST_F(OcrActionsTest, CrossFolderRecognisesEachTargetWithProgress)
{
    const std::string one = pdf("one.pdf", 2);
    const std::string two = pdf("two.pdf");
    const std::string paths = toJson(Json { one, two });
    struct Case {
        std::string query;
        std::vector<std::string> targets;
    };
    const Case cases[] = {
        { "paths=" + paths + "&path=" + two, { one, two } },
        { "paths=nope&path=" + two, { two } },
        { "paths=%5B%5D&path=" + two, { two } },
        { "paths=" + toJson(Json { home.file("missing.pdf"), "relative.pdf" }), { home.file("missing.pdf"), "relative.pdf" } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.query);
        view().evaluated.clear();
        send("qeliz://ocr?q=x&" + c.query);
        const auto evaluated = settle();
        std::vector<std::string> fileProgress;
        std::copy_if(evaluated.begin(), evaluated.end(), std::back_inserter(fileProgress), [](const std::string& script) { return script.find("ikwOCRProgress(") != std::string::npos; });
        std::vector<std::string> expected;
        for (std::size_t index = 0; index < c.targets.size(); ++index)
            expected.push_back(progress(static_cast<int>(index) + 1, static_cast<int>(c.targets.size()), lastPathComponent(c.targets[index])));
        EXPECT_EQ(fileProgress, expected);
        ASSERT_FALSE(evaluated.empty());
        EXPECT_EQ(evaluated.back(), "if(window.ikwOCRDone){try{ikwOCRDone({total:" + std::to_string(c.targets.size()) + "})}catch(e){}}");
    }
    EXPECT_EQ(ocrCacheRead(one), (OcrPageTexts { { 1, "100x40" }, { 2, "100x40" } }));
}

TEST_F(OcrActionsTest, ReaderRecognisesThenSearchesItsDocument)
{
    const std::string scan = pdf("scan.pdf", 2);
    window->sourcePaths = { scan };
    send("qeliz://readerocr?q=x");
    ASSERT_EQ(view().evaluated, std::vector<std::string> { kReaderStart });
    EXPECT_EQ(settle(), (std::vector<std::string> { kReaderStart, pageProgress(1, 2, "scan.pdf"), pageProgress(2, 2, "scan.pdf"), kReaderEnd,
                            ui::guardedCall("ikwReaderSearchResults", R"({"texts":["100x40"]})") }));
    EXPECT_EQ(searches, (std::vector<SearchCall> { { "x", {}, { scan } } }));

    // A locked document is searched without recognising it, and nothing is cached.
    const std::string locked = ikw::testing::writeTestFile(home.file("locked.pdf"), pdf::testing::encryptedPdf(1, "pw"));
    view().evaluated.clear();
    send("qeliz://readerocr?q=x&path=" + locked);
    EXPECT_EQ(settle(), (std::vector<std::string> { kReaderStart, kReaderEnd, ui::guardedCall("ikwReaderSearchResults", R"({"texts":[""]})") }));
    EXPECT_FALSE(realFileSystem().exists(ocrCacheFolder() + "/" + ocrCacheKey(locked).value() + ".json"));
}

TEST_F(OcrActionsTest, ReaderIgnoresAMissingDocument)
{
    for (const std::string& url : { "qeliz://readerocr?q=x&path=" + home.file("missing.pdf"), std::string("qeliz://readerocr?q=x&path=scan.pdf"),
             std::string("qeliz://readerocr?q=x") }) {
        send(url);
        EXPECT_TRUE(settle().empty()) << url;
    }
    EXPECT_TRUE(searches.empty());
}

TEST_F(OcrActionsTest, AClosedWindowGetsNothing)
{
    window->sourcePaths = { pdf("scan.pdf") };
    send("qeliz://readerocr?q=x");
    send("qeliz://ocr?q=x&path=" + window->sourcePaths[0]);
    const auto kept = std::static_pointer_cast<ui::fake::FakeWebView>(window->web);
    const std::size_t before = kept->evaluated.size();
    windowOf(*window).close();
    window.reset();
    workers.waitUntilIdle();
    queue.drain();
    EXPECT_EQ(kept->evaluated.size(), before);
    EXPECT_EQ(searches.size(), 2u);
}

}
}
