#include "crossdoc/ReaderSearch.h"

#include "crossdoc/CrossDocActions.h"
#include "platform/core/WorkQueue.h"
#include "platform/pdf/testing/PdfFixtures.h"
#include "review/PageBridgeTestFixture.h"

#include <gtest/gtest.h>

namespace ikw::crossdoc {
namespace {

class ReaderSearchTest : public ikw::testing::PageBridgeFixture {
protected:
    ReaderSearchTest() { registerActions(bridge->actions, { .workers = &workers }); }

    // The page's scripts evaluated so far, after the background work and its answers have run.
    const std::vector<std::string>& settle()
    {
        workers.waitUntilIdle();
        queue.drain();
        return view().evaluated;
    }

    std::string writePdf(const std::string& name, const std::string& text)
    {
        return ikw::testing::writeTestFile(home.file(name), pdf::testing::textPdf({ pdf::testing::TextFixturePage { { text } } }));
    }

    WorkQueue workers { "reader-search-tests", 2 };
};

TEST_F(ReaderSearchTest, NothingToSearchAnswersTheFixedLiteralAtOnce)
{
    const std::string fixed = "if(window.ikwReaderSearchResults){try{ikwReaderSearchResults({q:\"a \\\"b\\\"\",docs:[],docCount:0,"
                              "hitCount:0,scannedNoText:[],ocrUsed:0})}catch(e){}}";
    EXPECT_EQ(emptyReaderSearchAnswer("a \"b\""), fixed);

    window->sourcePaths = { writePdf("shown.pdf", "some words") };
    const std::string missing = home.file("missing.pdf");
    for (const std::string& url : { "qeliz://readersearch?q=%20words%0A&path=" + missing, std::string("qeliz://readersearch?q=words&path=shown.pdf") }) {
        SCOPED_TRACE(url);
        view().evaluated.clear();
        send(url);
        ASSERT_EQ(view().evaluated.size(), 1u) << "answered before any queue runs";
        EXPECT_EQ(view().evaluated[0], emptyReaderSearchAnswer("words")) << "no fallback to the window's document";
        EXPECT_EQ(settle().size(), 1u);
    }

    window->sourcePaths.clear();
    view().evaluated.clear();
    send("qeliz://readersearch?q=ab");
    ASSERT_EQ(view().evaluated.size(), 1u);
    EXPECT_EQ(view().evaluated[0], emptyReaderSearchAnswer("ab"));
}

TEST_F(ReaderSearchTest, TheResultArrivesOnceTheQueuesDrain)
{
    const std::string shown = writePdf("shown.pdf", "Invoice number one, invoice two");
    const std::string other = writePdf("other.pdf", "another invoice");
    window->sourcePaths = { shown };
    struct Case {
        std::string url;
        std::string path;
        long long count;
    };
    const Case cases[] = {
        { "qeliz://readersearch?q=INVOICE", shown, 2 },
        { "qeliz://readersearch?q=INVOICE&path=", shown, 2 },
        { "qeliz://readersearch?q=invoice&p=" + other, other, 1 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        view().evaluated.clear();
        send(c.url);
        EXPECT_TRUE(view().evaluated.empty()) << "the search runs in the background";
        const auto& evaluated = settle();
        ASSERT_EQ(evaluated.size(), 1u);
        const std::string& script = evaluated[0];
        const std::string prefix = "if(window.ikwReaderSearchResults){try{ikwReaderSearchResults(";
        const std::string suffix = ")}catch(e){}}";
        ASSERT_TRUE(script.starts_with(prefix) && script.ends_with(suffix)) << script;
        const auto answer = parseJson(script.substr(prefix.size(), script.size() - prefix.size() - suffix.size()));
        ASSERT_TRUE(answer);
        EXPECT_EQ((*answer)["docs"][0]["path"], c.path);
        EXPECT_EQ((*answer)["docs"][0]["count"], c.count);
        EXPECT_EQ((*answer)["scanned"], 1);
        EXPECT_EQ((*answer)["scope"], "");
        EXPECT_EQ((*answer)["scopeCount"], 0);
    }
}

TEST_F(ReaderSearchTest, NoAnswerOnceTheWindowHasClosed)
{
    window->sourcePaths = { writePdf("shown.pdf", "Invoice to pay") };
    send("qeliz://readersearch?q=invoice");
    // The test keeps the view alive: the closed window alone must stop the answer.
    const auto kept = std::static_pointer_cast<ui::fake::FakeWebView>(window->web);
    const std::size_t before = kept->evaluated.size();
    windowOf(*window).close();
    ASSERT_TRUE(window->isClosed());
    window.reset();
    workers.waitUntilIdle();
    queue.drain();
    EXPECT_EQ(kept->evaluated.size(), before);
}

}
}
