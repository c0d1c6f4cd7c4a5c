#include "docops/PageOpHandler.h"

#include "docops/testing/PageOpHarness.h"
#include "platform/pdf/Document.h"
#include "platform/pdf/testing/PdfFixtures.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace ikw::docops {
namespace {

using testing::doneScript;
using testing::toastScript;

class PageOpHandlerTest : public ::testing::Test {
protected:
    void send(const std::string& url)
    {
        handlePageOp(h.context(), PageOpRequest::fromUrl(url));
        h.settle();
    }
    std::vector<int> rotations(const std::string& path) const
    {
        const auto document = pdf::Document::openFile(path);
        std::vector<int> result;
        for (int i = 0; document && i < document->pageCount(); ++i)
            result.push_back(document->pageRotation(i));
        return result;
    }
    const std::vector<std::string>& evaluated() const { return h.web->evaluated; }

    testing::PageOpHarness h;
};

TEST_F(PageOpHandlerTest, RotateAsksRewritesAndCompletesInOrder)
{
    const std::string a = h.writePdf("a.pdf", 3);
    h.show(a);
    h.host->fakeDialogs.alertAnswers = { { 0, false } };
    send("qeliz://pageop?op=rotate&pages=3,1,3&path=" + a);

    ASSERT_EQ(h.host->fakeDialogs.alerts.size(), 1u);
    EXPECT_EQ(h.host->fakeDialogs.alerts[0].request.message, "Rotate 2 pages in \u201Ca.pdf\u201D?");
    EXPECT_EQ(rotations(a), (std::vector<int> { 90, 0, 90 }));
    EXPECT_EQ(h.markers(a), (std::vector<int> { 1, 2, 3 }));
    // The stamp sees the new file, and both window steps come before the page hears anything.
    EXPECT_EQ(h.host->events, (std::vector<std::string> { "stamp " + a + " after 0", "reload " + a + " after 0" }));
    EXPECT_EQ(h.host->stampedBytes, ikw::testing::readTestFile(a));
    EXPECT_EQ(evaluated(), (std::vector<std::string> { doneScript("rotate", a), toastScript("Rotated 2 pages", false) }));
}

TEST_F(PageOpHandlerTest, InPlaceOperationsProduceThePagesAsked)
{
    struct Case {
        const char* query;
        std::vector<int> pages;
        const char* toast;
    };
    const Case cases[] = {
        { "op=delete&pages=1,3", { 2, 4 }, "Deleted 2 pages" },
        { "op=duplicate&pages=2,4", { 1, 2, 2, 3, 4 }, "Duplicated page 2" },
        { "op=insertblank&at=1", { 1, 0, 2, 3, 4 }, "Inserted a blank page" },
        { "op=insertblank&at=abc", { 0, 1, 2, 3, 4 }, "Inserted a blank page" },
        { "op=insertblank&at=99999999999", { 1, 2, 3, 4, 0 }, "Inserted a blank page" },
        { "op=reorder&from=0&to=2", { 2, 3, 1, 4 }, "Moved page 1" },
        { "op=reorderfull&order=3,2,0,1", { 4, 3, 1, 2 }, "Reordered 4 pages" },
        { "OP=x&op=DELETE&page=4", { 1, 2, 3 }, "Deleted page 4" },
    };
    for (const auto& c : cases) {
        const std::string a = h.writePdf("a.pdf", 4);
        h.web->evaluated.clear();
        send(std::string("qeliz://pageop?") + c.query + "&path=" + a);
        EXPECT_EQ(h.markers(a), c.pages) << c.query;
        ASSERT_FALSE(evaluated().empty()) << c.query;
        EXPECT_EQ(evaluated().back(), toastScript(c.toast, false)) << c.query;
    }
}

TEST_F(PageOpHandlerTest, RequestsThatNameNoPageOrChangeNothingWriteNothingAndSayso)
{
    const char* const queries[] = {
        "op=rotate&page=9",
        "op=rotate&page=0",
        "op=rotate&page=-2147483648",
        "op=rotate&page=1&deg=360",
        "op=rotate&page=1&deg=-720",
        "op=delete&pages=1,2,3",
        "op=delete&pages=7,8",
        "op=duplicate&page=4",
        "op=reorder&from=1&to=1",
        "op=reorder&from=8&to=0",
        "op=reorder&from=0&to=-1",
    };
    for (const char* query : queries) {
        const std::string a = h.writePdf("a.pdf", 3);
        const std::string before = ikw::testing::readTestFile(a);
        h.web->evaluated.clear();
        h.host->events.clear();
        send(std::string("qeliz://pageop?") + query + "&path=" + a);
        EXPECT_EQ(ikw::testing::readTestFile(a), before) << query;
        EXPECT_TRUE(h.host->events.empty()) << query;
        EXPECT_EQ(evaluated(), (std::vector<std::string> { toastScript("Couldn\u2019t update a.pdf", true) })) << query;
    }
}

TEST_F(PageOpHandlerTest, UnusableRequestsEndSilently)
{
    const std::string a = h.writePdf("a.pdf", 3);
    h.host->sources = { a };
    const std::string queries[] = {
        "op=rotate&page=1&path=",
        "op=rotate&page=1&path=" + h.file("missing.pdf"),
        "op=rotate&page=1&path=" + h.home.path(),
        "op=spin&page=1",
        "page=1",
        "op=rotate&pages=&page=2",
        "op=duplicate",
        "op=reorder&from=1",
        "op=reorderfull&order=0,1,2",
        "op=reorderfull&order=2,0",
        "op=extract",
    };
    const std::string before = ikw::testing::readTestFile(a);
    for (const auto& query : queries) {
        send("qeliz://pageop?" + query);
        EXPECT_TRUE(h.host->fakeDialogs.alerts.empty()) << query;
        EXPECT_TRUE(h.host->fakeDialogs.panels.empty()) << query;
        EXPECT_TRUE(evaluated().empty()) << query;
    }
    EXPECT_EQ(ikw::testing::readTestFile(a), before);
}

TEST_F(PageOpHandlerTest, AnEditOfAnotherFileLeavesTheWindowAsItIs)
{
    const std::string a = h.writePdf("a.pdf", 2);
    const std::string b = h.writePdf("b.pdf", 2);
    h.show(a);
    send("qeliz://pageop?op=delete&page=1&path=" + b);
    EXPECT_EQ(h.markers(b), (std::vector<int> { 2 }));
    EXPECT_TRUE(h.host->events.empty());
    EXPECT_TRUE(fileMatchesStamp(*h.host->stamp, a));
    EXPECT_EQ(evaluated(), (std::vector<std::string> { doneScript("delete", b), toastScript("Deleted page 1", false) }));
}

TEST_F(PageOpHandlerTest, RelativePathsFromPagesAreRefused)
{
    const std::string a = h.writePdf("a.pdf", 2);
    const std::string before = ikw::testing::readTestFile(a);
    const auto workingFolder = std::filesystem::current_path();
    std::filesystem::current_path(h.home.path());
    send("qeliz://pageop?op=delete&page=1&path=a.pdf");
    send("qeliz://pageop?op=delete&page=1&p=./a.pdf");
    std::filesystem::current_path(workingFolder);
    EXPECT_EQ(ikw::testing::readTestFile(a), before);
    EXPECT_TRUE(h.host->fakeDialogs.alerts.empty());
    EXPECT_TRUE(evaluated().empty());
}

TEST_F(PageOpHandlerTest, PathComesFromPathThenPThenTheWindow)
{
    const std::string a = h.writePdf("a.pdf", 2);
    const std::string b = h.writePdf("b.pdf", 2);
    h.host->sources = { a };
    send("qeliz://pageop?op=delete&page=1");
    send("qeliz://pageop?op=delete&page=1&p=" + b);
    EXPECT_EQ(h.markers(a), (std::vector<int> { 2 }));
    EXPECT_EQ(h.markers(b), (std::vector<int> { 2 }));
}

TEST_F(PageOpHandlerTest, SwitchedOffQuestionsAndCancels)
{
    const std::string a = h.writePdf("a.pdf", 3);
    h.setSetting("pageops_skip_insert", true);
    send("qeliz://pageop?op=insertblank&path=" + a);
    EXPECT_TRUE(h.host->fakeDialogs.alerts.empty());
    EXPECT_EQ(h.markers(a).size(), 4u);

    h.host->fakeDialogs.alertAnswers = { { 1, true } };
    send("qeliz://pageop?op=rotate&page=1&path=" + a);
    EXPECT_EQ(h.host->fakeDialogs.alerts.size(), 1u);
    EXPECT_EQ(rotations(a), (std::vector<int> { 0, 0, 0, 0 }));
    EXPECT_TRUE(evaluated().size() == 2); // only the insertion's answers

    h.setSetting("pageops_confirm", false);
    send("qeliz://pageop?op=delete&page=1&path=" + a);
    EXPECT_EQ(h.host->fakeDialogs.alerts.size(), 1u);
    EXPECT_EQ(h.markers(a).size(), 3u);
}

// Page numbers mean the pages the user saw when the page asked. A request sent before an earlier
// edit of the file landed names pages that have moved since: it changes nothing, says so, and the
// reader shows the file as it now is.
TEST_F(PageOpHandlerTest, RequestsForAFileThatChangedSinceTheyWereSentChangeNothing)
{
    h.setSetting("pageops_confirm", false);
    struct Case {
        const char* first;
        const char* second;
        std::vector<int> pages;
        const char* firstOperation;
        const char* firstToast;
    };
    const Case cases[] = {
        { "op=delete&page=3", "op=delete&page=3", { 1, 2, 4, 5 }, "delete", "Deleted page 3" },
        { "op=reorder&from=0&to=4", "op=delete&page=5", { 2, 3, 4, 5, 1 }, "reorder", "Moved page 1" },
        // Same size, same second: only an exact comparison tells the files apart.
        { "op=reorder&from=0&to=1", "op=reorder&from=0&to=1", { 2, 1, 3, 4, 5 }, "reorder", "Moved page 1" },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.second);
        const std::string a = h.writePdf("a.pdf", 5);
        h.show(a);
        h.web->evaluated.clear();
        h.host->events.clear();
        for (const char* query : { c.first, c.second })
            handlePageOp(h.context(), PageOpRequest::fromUrl(std::string("qeliz://pageop?") + query + "&path=" + a));
        h.settle();
        EXPECT_EQ(h.markers(a), c.pages);
        EXPECT_EQ(evaluated(), (std::vector<std::string> { doneScript(c.firstOperation, a), toastScript(c.firstToast, false),
                                   toastScript("Couldn\u2019t update a.pdf", true) }));
        // Each outcome shows the file as it is: after the edit, and again after the refusal.
        EXPECT_EQ(h.host->events.size(), 4u);
        EXPECT_TRUE(fileMatchesStamp(*h.host->stamp, a));
    }

    // A request sent once the window shows the edited file lands.
    const std::string a = h.writePdf("a.pdf", 5);
    h.show(a);
    send("qeliz://pageop?op=delete&page=3&path=" + a);
    send("qeliz://pageop?op=delete&page=3&path=" + a);
    EXPECT_EQ(h.markers(a), (std::vector<int> { 1, 2, 5 }));
}

TEST_F(PageOpHandlerTest, AFileChangedByAnotherProgramIsShownAgainNotEdited)
{
    const std::string a = h.writePdf("a.pdf", 3);
    h.show(a);
    const std::string theirs = ikw::testing::readTestFile(h.writePdf("theirs.pdf", 4, 11));
    ikw::testing::writeTestFile(a, theirs);
    send("qeliz://pageop?op=delete&page=1&path=" + a);
    ASSERT_EQ(h.host->fakeDialogs.alerts.size(), 1u) << "the question comes first";
    EXPECT_EQ(ikw::testing::readTestFile(a), theirs);
    EXPECT_EQ(evaluated(), (std::vector<std::string> { toastScript("Couldn\u2019t update a.pdf", true) }));
    EXPECT_EQ(h.host->events, (std::vector<std::string> { "stamp " + a + " after 1", "reload " + a + " after 1" }));
}

TEST_F(PageOpHandlerTest, OnlyQuarterTurnsRotate)
{
    struct Case {
        const char* degrees;
        std::vector<int> rotations;
    };
    const Case cases[] = {
        { "30", {} },
        { "45", {} },
        { "-45", {} },
        { "100", {} },
        { "9223372036854775807", {} },
        { "-90", { 270, 0 } },
        { "270", { 270, 0 } },
        { "-270", { 90, 0 } },
        { "450", { 90, 0 } },
        { "abc", { 90, 0 } },
    };
    h.setSetting("pageops_confirm", false);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.degrees);
        const std::string a = h.writePdf("a.pdf", 2);
        const std::string before = ikw::testing::readTestFile(a);
        h.web->evaluated.clear();
        send("qeliz://pageop?op=rotate&page=1&deg=" + std::string(c.degrees) + "&path=" + a);
        if (c.rotations.empty()) {
            EXPECT_EQ(ikw::testing::readTestFile(a), before);
            EXPECT_EQ(evaluated(), (std::vector<std::string> { toastScript("Couldn\u2019t update a.pdf", true) }));
        } else {
            EXPECT_EQ(rotations(a), c.rotations);
            EXPECT_EQ(evaluated().back(), toastScript("Rotated page 1", false));
        }
    }
    // Refused before anything is asked.
    h.setSetting("pageops_confirm", true);
    send("qeliz://pageop?op=rotate&page=1&deg=30&path=" + h.writePdf("a.pdf", 2));
    EXPECT_TRUE(h.host->fakeDialogs.alerts.empty());
}

TEST_F(PageOpHandlerTest, UnreadableOrLockedFilesFailVisibly)
{
    struct Case {
        const char* name;
        std::string bytes;
    };
    const Case cases[] = {
        { "locked", pdf::testing::encryptedPdf(2, "secret") },
        { "not a PDF", "not a pdf at all" },
    };
    for (const auto& c : cases) {
        const std::string a = h.file("a.pdf");
        pdf::testing::writeFixture(a, c.bytes);
        h.web->evaluated.clear();
        send("qeliz://pageop?op=rotate&page=1&path=" + a);
        EXPECT_EQ(ikw::testing::readTestFile(a), c.bytes) << c.name;
        EXPECT_EQ(evaluated(), (std::vector<std::string> { toastScript("Couldn\u2019t update a.pdf", true) })) << c.name;
    }
}

TEST_F(PageOpHandlerTest, AClosedWindowStillGetsItsFileButOnlyTheToast)
{
    const std::string a = h.writePdf("a.pdf", 2);
    h.setSetting("pageops_confirm", false);
    handlePageOp(h.context(), PageOpRequest::fromUrl("qeliz://pageop?op=delete&page=2&path=" + a));
    h.host->open = false;
    h.settle();
    EXPECT_EQ(h.markers(a), (std::vector<int> { 1 }));
    EXPECT_TRUE(h.host->events.empty());
    EXPECT_EQ(evaluated(), (std::vector<std::string> { toastScript("Deleted page 2", false) }));

    h.web->evaluated.clear();
    send("qeliz://pageop?op=delete&page=1&path=" + a);
    EXPECT_TRUE(evaluated().empty()) << "a failure in a closed window shows nothing";
}

TEST_F(PageOpHandlerTest, OnlyReadersReload)
{
    const std::string a = h.writePdf("a.pdf", 2);
    h.show(a);
    h.host->reader = false;
    send("qeliz://pageop?op=rotate&page=1&path=" + a);
    EXPECT_EQ(h.host->events, (std::vector<std::string> { "stamp " + a + " after 0" }));
    EXPECT_EQ(evaluated().front(), doneScript("rotate", a));
}

TEST_F(PageOpHandlerTest, InsertFileAsksWithTheChosenPageCount)
{
    const std::string a = h.writePdf("a.pdf", 3);
    const std::string two = h.writePdf("two.pdf", 2, 11);
    const std::string one = h.writePdf("one.pdf", 1, 21);
    pdf::testing::writeFixture(h.file("junk.pdf"), "junk");
    h.host->fakeDialogs.openAnswers = { std::vector<std::string> { two, h.file("junk.pdf"), one } };
    send("qeliz://pageop?op=insertfile&at=1&path=" + a);

    ASSERT_EQ(h.host->fakeDialogs.panels.size(), 1u);
    EXPECT_EQ(h.host->fakeDialogs.panels[0].title, "Insert PDF");
    EXPECT_TRUE(h.host->fakeDialogs.panels[0].allowsMultiple);
    ASSERT_EQ(h.host->fakeDialogs.alerts.size(), 1u);
    EXPECT_EQ(h.host->fakeDialogs.alerts[0].request.message, "Insert 3 pages into \u201Ca.pdf\u201D?");
    EXPECT_EQ(h.markers(a), (std::vector<int> { 1, 11, 12, 21, 2, 3 }));
    EXPECT_EQ(evaluated(), (std::vector<std::string> { doneScript("insertfile", a), toastScript("Inserted 3 pages", false) }));

    send("qeliz://pageop?op=insertfile&path=" + a); // the panel is cancelled
    EXPECT_EQ(h.host->fakeDialogs.alerts.size(), 1u);
    EXPECT_EQ(h.markers(a).size(), 6u);
}

TEST_F(PageOpHandlerTest, DroppedPdfsGoWhereThePageSaid)
{
    struct Case {
        std::optional<int> at;
        std::vector<int> pages;
    };
    const Case cases[] = {
        { 1, { 1, 11, 12, 21, 22, 23, 2, 3, 4 } },
        { std::nullopt, { 11, 12, 21, 22, 23, 1, 2, 3, 4 } },
        { 99, { 1, 2, 3, 4, 11, 12, 21, 22, 23 } },
    };
    const std::string first = h.writePdf("first.pdf", 2, 11);
    const std::string second = h.writePdf("second.pdf", 3, 21);
    pdf::testing::writeFixture(h.file("broken.pdf"), "%PDF-1.7 broken");
    for (const auto& c : cases) {
        const std::string brief = h.writePdf("Brief.pdf", 4);
        h.web->evaluated.clear();
        h.host->fakeDialogs.alerts.clear();
        insertDroppedPDFs(h.context(), { first, h.file("broken.pdf"), second }, c.at, brief);
        h.settle();
        ASSERT_EQ(h.host->fakeDialogs.alerts.size(), 1u);
        EXPECT_EQ(h.host->fakeDialogs.alerts[0].request.message, "Insert 5 pages into \u201CBrief.pdf\u201D?");
        EXPECT_EQ(h.host->fakeDialogs.alerts[0].request.informativeText,
            "This adds the dropped pages to the saved file. You can remove them the same way.");
        EXPECT_EQ(h.markers(brief), c.pages);
        EXPECT_EQ(evaluated(), (std::vector<std::string> { doneScript("insertfile", brief), toastScript("Inserted 5 pages", false) }));
    }
}

TEST_F(PageOpHandlerTest, DropsThatCannotHappenDoNothing)
{
    const std::string brief = h.writePdf("Brief.pdf", 2);
    const std::string before = ikw::testing::readTestFile(brief);
    pdf::testing::writeFixture(h.file("broken.pdf"), "broken");
    insertDroppedPDFs(h.context(), { h.file("broken.pdf") }, 0, brief);
    h.settle();
    EXPECT_TRUE(h.host->fakeDialogs.alerts.empty());

    // The window went away before the rewrite began.
    h.setSetting("pageops_skip_insert", true);
    insertDroppedPDFs(h.context(), { h.writePdf("one.pdf", 1, 7) }, 0, brief);
    h.host->open = false;
    h.settle();
    EXPECT_EQ(ikw::testing::readTestFile(brief), before);
    EXPECT_TRUE(evaluated().empty());
}

}
}
