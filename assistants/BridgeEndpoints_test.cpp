#include "assistants/BridgeEndpoints.h"

#include "library/LibraryLayer.h"
#include "platform/core/Base64.h"
#include "platform/core/Paths.h"
#include "platform/core/WorkQueue.h"
#include "platform/pdf/testing/PdfFixtures.h"
#include "review/ReviewTestFixture.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace ikw::assistants {
namespace {

using ui::ScriptResult;

ScriptResult pageAnswer(const std::string& text)
{
    return ScriptResult { Json(text), std::nullopt };
}

class BridgeEndpointsTest : public testing::ReviewFixture {
protected:
    BridgeReply reply()
    {
        return [this](Json answer) { replies.push_back(std::move(answer)); };
    }
    // The one answer of an operation that reads documents off the main thread.
    Json awaitReply()
    {
        queue.runUntil([this] { return !replies.empty(); });
        EXPECT_EQ(replies.size(), 1u);
        return replies.empty() ? Json() : replies.back();
    }

    // A window shown with these flags; readers show `document`.
    std::shared_ptr<ReviewWC> window(const std::string& kind, const std::string& document = {})
    {
        auto opened = windows.open(std::nullopt, nullptr);
        opened->hasContent = kind != "welcome";
        opened->isReader = kind == "reader";
        opened->isGrid = kind == "grid";
        if (!document.empty())
            opened->sourcePaths = { document };
        return opened;
    }

    std::string fixture(const std::string& name, const std::string& bytes) { return testing::writeTestFile(home.file(name), bytes); }

    static std::string twoAnnotationPdf()
    {
        return pdf::testing::textPdf({ pdf::testing::TextFixturePage { { "rent is due on the first" }, pdf::kLetterPage, 0,
            { "<< /Type /Annot /Subtype /Text /Rect [10 10 30 30] /Contents (first note) >>",
                "<< /Type /Annot /Subtype /Highlight /Rect [34 740 260 756] /T (Dana) >>" } } });
    }

    std::vector<Json> replies;
    std::shared_ptr<library::LibraryLayer> library = std::make_shared<library::LibraryLayer>(services, windows);
    AnnotationSidecars sidecars;
    WorkQueue documents { "bridge-test-documents" };
    BridgeEndpointContext context { *library, sidecars, documents };
};

TEST_F(BridgeEndpointsTest, WithNoWindowsStatusAndWindowsReportNothingOpen)
{
    const auto status = statusReply(windows);
    EXPECT_EQ(status["windows"], 0);
    EXPECT_TRUE(status["current_document"].is_null());
    EXPECT_EQ(status["pid"], static_cast<long long>(::getpid()));
    EXPECT_EQ(status["app"], globals.get().brand.name);

    handleWindows(windows, reply());
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0], (Json { { "ok", true }, { "count", 0 }, { "windows", Json::array() } }));
}

TEST_F(BridgeEndpointsTest, KindsFollowTheFirstFlagThatHolds)
{
    const auto shown = window("review");
    struct Case {
        bool hasContent, isReader, isGrid, isTimeline, isOrganize, isRedact, isBates;
        const char* expected;
    };
    const Case cases[] = {
        { false, true, true, true, true, true, true, "welcome" },
        { true, true, true, false, false, false, false, "reader" },
        { true, false, true, true, false, false, false, "grid" },
        { true, false, false, true, true, false, false, "timeline" },
        { true, false, false, false, true, true, false, "organize" },
        { true, false, false, false, false, true, true, "redact" },
        { true, false, false, false, false, false, true, "bates" },
        { true, false, false, false, false, false, false, "review" },
    };
    for (const auto& entry : cases) {
        shown->hasContent = entry.hasContent;
        shown->isReader = entry.isReader;
        shown->isGrid = entry.isGrid;
        shown->timeline.isTimeline = entry.isTimeline;
        shown->isOrganize = entry.isOrganize;
        shown->isRedact = entry.isRedact;
        shown->isBates = entry.isBates;
        EXPECT_EQ(kindOf(*shown), entry.expected);
    }
}

TEST_F(BridgeEndpointsTest, WindowsListTheKeyWindowFirstAndReadersWithTheirViewer)
{
    const auto grid = window("grid", home.file("table.csv"));
    const auto loading = window("reader", home.file("empty.pdf"));
    const auto noViewer = window("reader", home.file("other.pdf"));
    const auto key = window("reader", home.file("key.pdf"));
    viewOf(*loading).nextResult = pageAnswer(R"({"p":1,"n":0})");
    viewOf(*noViewer).nextResult = pageAnswer("");
    viewOf(*key).holdAnswers = true;

    handleWindows(windows, reply());
    EXPECT_TRUE(replies.empty()); // the key reader has not answered yet
    ASSERT_EQ(viewOf(*key).heldAnswers.size(), 1u);
    EXPECT_EQ(viewOf(*key).evaluated.back(), "window.pdfViewer ? JSON.stringify({p:pdfViewer.currentPageNumber,n:pdfViewer.pagesCount}) : ''");
    viewOf(*key).heldAnswers[0](pageAnswer(R"({"p":3,"n":12})"));

    ASSERT_EQ(replies.size(), 1u);
    const auto& listed = replies[0]["windows"];
    EXPECT_EQ(replies[0]["count"], 4);
    ASSERT_EQ(listed.size(), 4u);
    EXPECT_EQ(listed[0], (Json { { "id", key->bridgeId }, { "kind", "reader" }, { "title", key->window().title() },
                             { "paths", { home.file("key.pdf") } }, { "document", home.file("key.pdf") }, { "is_key", true },
                             { "page", 3 }, { "page_count", 12 } }));
    EXPECT_EQ(listed[1]["id"], grid->bridgeId);
    EXPECT_EQ(listed[1]["kind"], "grid");
    EXPECT_FALSE(listed[1].contains("loading"));
    EXPECT_EQ(listed[2]["id"], loading->bridgeId);
    EXPECT_EQ(listed[2]["loading"], true);
    EXPECT_FALSE(listed[2].contains("page_count"));
    EXPECT_EQ(listed[3]["id"], noViewer->bridgeId);
    EXPECT_FALSE(listed[3].contains("loading") || listed[3].contains("page"));
}

TEST_F(BridgeEndpointsTest, AReaderThatNeverAnswersIsListedWithoutPageMembersAfterTenSeconds)
{
    const auto hung = window("reader", home.file("hung.pdf"));
    viewOf(*hung).holdAnswers = true;
    handleWindows(windows, reply());
    queue.advance(kPageScriptSeconds - 0.5);
    EXPECT_TRUE(replies.empty());
    queue.advance(0.5);
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0]["windows"][0]["id"], hung->bridgeId);
    EXPECT_FALSE(replies[0]["windows"][0].contains("page") || replies[0]["windows"][0].contains("loading"));

    viewOf(*hung).heldAnswers[0](pageAnswer(R"({"p":1,"n":5})")); // too late: nothing more is sent
    EXPECT_EQ(replies.size(), 1u);
}

TEST_F(BridgeEndpointsTest, GotoClampsThroughThePageAndVerifiesThePageItShows)
{
    window("grid", home.file("table.csv"));
    const auto reader = window("reader", home.file("lease.pdf"));
    viewOf(*reader).nextResult = pageAnswer(R"({"page":12,"pages":12})");
    const int presentedBefore = windowOf(*reader).presented;

    handleGoto(windows, { { "page", "500" }, { "path", home.file("lease.pdf") } }, reply());
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0], (Json { { "ok", true }, { "window", reader->bridgeId }, { "document", home.file("lease.pdf") }, { "page", 12 },
                              { "page_count", 12 }, { "verified", true } }));
    EXPECT_EQ(viewOf(*reader).evaluated.back(),
        "(function(p){if(!window.pdfViewer||!pdfViewer.pagesCount)return '';var v=pdfViewer;v.currentPageNumber=Math.max(1,Math.min(v.pagesCount,p));"
        "return JSON.stringify({page:v.currentPageNumber,pages:v.pagesCount})})(500)");
    EXPECT_GT(windowOf(*reader).presented, presentedBefore);

    // A page that did not go where it was asked is reported as such.
    viewOf(*reader).nextResult = pageAnswer(R"({"page":2,"pages":12})");
    handleGoto(windows, { { "page", "3" } }, reply());
    EXPECT_EQ(replies.back()["verified"], false);
}

TEST_F(BridgeEndpointsTest, GotoRefusesBadPagesAndTargetsThatAreNotReaders)
{
    const auto grid = window("grid", home.file("table.csv"));
    const auto reader = window("reader", home.file("lease.pdf"));
    const BridgeQuery refusedPages[] = { {}, { { "page", "0" } }, { { "page", "-3" } }, { { "page", "two" } }, { { "page", "" } } };
    for (const auto& query : refusedPages)
        handleGoto(windows, query, reply());
    // A window id naming a grid, or nothing, never falls back to the path or the key reader.
    handleGoto(windows, { { "page", "1" }, { "window", grid->bridgeId }, { "path", home.file("lease.pdf") } }, reply());
    handleGoto(windows, { { "page", "1" }, { "window", "w-none" } }, reply());
    handleGoto(windows, { { "page", "1" }, { "path", home.file("table.csv") } }, reply());
    ASSERT_EQ(replies.size(), 8u);
    for (std::size_t at = 0; at < replies.size(); ++at) {
        EXPECT_EQ(replies[at]["ok"], false);
        EXPECT_EQ(replies[at]["error"], at < 5 ? "page (1-based integer) is required"
                                               : "no matching open reader window \u2014 use /windows to see what is open, or /open first");
    }
    EXPECT_TRUE(viewOf(*reader).evaluated.empty());
}

TEST_F(BridgeEndpointsTest, GotoOnAReaderStillOpeningOrHungAsksAgainLater)
{
    const auto reader = window("reader", home.file("lease.pdf"));
    viewOf(*reader).nextResult = pageAnswer("");
    handleGoto(windows, { { "page", "2" } }, reply());
    viewOf(*reader).holdAnswers = true;
    handleGoto(windows, { { "page", "2" } }, reply());
    queue.advance(kPageScriptSeconds);
    ASSERT_EQ(replies.size(), 2u);
    for (const auto& answer : replies)
        EXPECT_EQ(answer, (Json { { "ok", false }, { "error", "the document is still opening \u2014 try again in a moment" } }));
}

TEST_F(BridgeEndpointsTest, OpenExpandsTheTildeOpensAReaderAndFindsItsWindow)
{
    const auto path = fixture("x.pdf", pdf::testing::numberedPdf(2));
    handleOpen(*library, { { "path", "~/x.pdf" }, { "page", "7" } }, reply());
    ASSERT_EQ(replies.size(), 1u);
    const auto shown = windows.windows().back();
    EXPECT_EQ(shown->sourcePaths, std::vector<std::string> { path });
    EXPECT_EQ(replies[0], (Json { { "ok", true }, { "opened", path }, { "window", shown->bridgeId }, { "kind", "reader" }, { "page", 7 },
                              { "verified", true } }));
    EXPECT_NE(viewOf(*shown).url().find("page=7"), std::string::npos) << viewOf(*shown).url();
}

TEST_F(BridgeEndpointsTest, OpenShowsAFolderAsAReviewAndRefusesWhatIsNotThere)
{
    const auto folder = home.file("Matter");
    testing::writeTestFile(folder + "/a.txt", "a");
    handleOpen(*library, { { "path", folder } }, reply());
    ASSERT_FALSE(engineRuns.empty());
    EXPECT_EQ(engineRuns.back().back(), folder);
    EXPECT_EQ(replies[0]["opened"], folder);
    EXPECT_TRUE(replies[0]["page"].is_null());

    handleOpen(*library, { { "path", "" } }, reply());
    handleOpen(*library, { { "path", "~/missing.pdf" } }, reply());
    ASSERT_EQ(replies.size(), 3u);
    EXPECT_EQ(replies[1], (Json { { "ok", false }, { "error", "path is required" } }));
    EXPECT_EQ(replies[2], (Json { { "ok", false }, { "error", "no such file: " + home.file("missing.pdf") } }));
}

TEST_F(BridgeEndpointsTest, AnnotationsComeFromTheFileOrSayWhyNot)
{
    const auto pdfPath = fixture("Lease.pdf", twoAnnotationPdf());
    handleAnnotations(context, { { "path", pdfPath } }, reply());
    const auto fromFile = awaitReply();
    EXPECT_EQ(fromFile["source"], "file");
    EXPECT_EQ(fromFile["count"], 2);
    EXPECT_EQ(fromFile["path"], pdfPath);
    EXPECT_EQ(fromFile["annotations"][0], (Json { { "page", 1 }, { "kind", "Highlight" }, { "text", "rent is due on the first" }, { "note", "" }, { "author", "Dana" } }));
    EXPECT_NE(fromFile["markdown"].get<std::string>().find("# Annotations \u2014 Lease.pdf"), std::string::npos);

    replies.clear();
    const auto word = fixture("brief.docx", "PK");
    handleAnnotations(context, { { "path", word } }, reply());
    handleAnnotations(context, {}, reply()); // no document open
    ASSERT_EQ(replies.size(), 2u);
    EXPECT_EQ(replies[0]["error"], word + " is not a PDF and has no Inkwarden markup sidecar \u2014 annotations are a PDF feature");
    EXPECT_EQ(replies[1]["error"], "path is required (no document is currently open)");

    replies.clear();
    const auto broken = fixture("broken.pdf", "not a pdf");
    handleAnnotations(context, { { "path", broken } }, reply());
    EXPECT_EQ(awaitReply()["error"], "could not read a PDF for " + broken + " (source: file)");
}

TEST_F(BridgeEndpointsTest, AnOpenReaderAnswersWithItsLiveCopyAndFallsBackWhenItCannot)
{
    const auto pdfPath = fixture("Lease.pdf", pdf::testing::numberedPdf(1));
    const auto reader = window("reader", pdfPath);
    auto& view = viewOf(*reader);
    view.nextResult = pageAnswer(encodeBase64(twoAnnotationPdf()));
    handleAnnotations(context, {}, reply()); // the key reader's document
    auto answer = awaitReply();
    EXPECT_EQ(answer["source"], "live");
    EXPECT_EQ(answer["count"], 2);
    EXPECT_EQ(view.evaluated.back(), "{} => return await serializeB64();");

    // Text that is not Base64: the document's annotated copy when it has one, else the file.
    view.nextResult = pageAnswer("not base64!");
    const auto sidecar = fixture("sidecars/lease.pdf", twoAnnotationPdf());
    sidecars.exists = [&](const std::string& document) { return document == pdfPath; };
    sidecars.path = [&](const std::string&) { return sidecar; };
    replies.clear();
    handleAnnotations(context, { { "path", pdfPath } }, reply());
    answer = awaitReply();
    EXPECT_EQ(answer["source"], "sidecar");
    EXPECT_EQ(answer["count"], 2);

    // A page that never answers: the file itself after ten seconds.
    sidecars = {};
    view.holdAnswers = true;
    replies.clear();
    handleAnnotations(context, { { "path", pdfPath } }, reply());
    queue.advance(kPageScriptSeconds);
    answer = awaitReply();
    EXPECT_EQ(answer["source"], "file");
    EXPECT_EQ(answer["count"], 0);
}

}
}
