#include "assistants/ReaderHelpers.h"

#include "assistants/AssistantActions.h"
#include "assistants/TextVerification.h"
#include "platform/core/Base64.h"
#include "platform/core/WorkQueue.h"
#include "platform/pdf/testing/PdfFixtures.h"
#include "review/ReviewTestFixture.h"
#include "review/UrlActions.h"
#include "review/fake/StandInEngine.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace ikw::assistants {
namespace {

using pdf::testing::TextFixturePage;

TEST(TextVerification, AQuoteCountsOnlyWhereAPageHoldsItExactly)
{
    const std::string pdf = pdf::testing::textPdf({
        TextFixturePage { { "NOTICE of the hearing", "Caf\u00e9 au lait" } },
        TextFixturePage { { "the end of the first", "line" } },
    });
    const std::string base64 = encodeBase64(pdf);
    struct Case {
        const char* name;
        std::string q;
        bool found;
    };
    const Case cases[] = {
        { "exact phrase", "NOTICE of the", true },
        { "padded with spaces and line breaks", " \n NOTICE\r\n", true },
        { "spaces only", "   ", true },
        { "other letter case", "Notice", false },
        { "across two pages", "au lait the end", false },
        { "decomposed against composed", "Cafe\u0301 au", true },
        { "other spacing", "NOTICE  of", false },
        { "absent", "verdict", false },
    };
    for (const Case& c : cases)
        EXPECT_EQ(base64PdfContainsQuote(base64, c.q), c.found) << c.name;

    for (const std::string& unreadable : { std::string(), std::string("not base64!"), std::string("QQ==\n"), std::string("QQ=="),
             base64 + "\n", encodeBase64("%PDF-1.7\ngarbage") })
        EXPECT_FALSE(base64PdfContainsQuote(unreadable, "")) << unreadable.substr(0, 20);
}

// The reader helpers over the recording toolkit, with the stand-in engine installed and its runs logged.
class ReaderHelping : public ikw::testing::ReviewFixture {
protected:
    ReaderHelping()
    {
        ikw::testing::installStandInEngine(home.path());
        ::setenv("IKW_STANDIN_AI_LOG", runLog.c_str(), 1);
        registerActions(actions, { .reader = helpers });
    }
    ~ReaderHelping() override { ::unsetenv("IKW_STANDIN_AI_LOG"); }

    void send(ReviewWC& window, const std::string& url)
    {
        actions.dispatch(url.substr(0, url.find('?')), UrlAction { window, "qeliz://" + url });
    }
    bool waitFor(ReviewWC& window, const std::string& function, std::size_t count = 1)
    {
        return queue.runUntil([&] { return calls(window, function).size() >= count; }, 20);
    }
    std::vector<std::string> runs()
    {
        std::ifstream file(runLog);
        std::vector<std::string> lines;
        for (std::string line; std::getline(file, line);)
            lines.push_back(line);
        return lines;
    }
    std::shared_ptr<ReviewWC> reader(const std::string& document)
    {
        auto window = windows.open(std::nullopt);
        window->hasContent = true;
        window->isReader = true;
        window->sourcePaths = { document };
        return window;
    }
    std::vector<std::string> stagedFiles()
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(staging))
            names.push_back(entry.path().filename());
        return names;
    }

    std::string runLog = home.file("ai-runs.log");
    std::string staging = [this] {
        std::filesystem::create_directories(home.file("staging"));
        return home.file("staging");
    }();
    WorkQueue workers { "reader helpers", 2 };
    std::shared_ptr<ReaderHelpers> helpers = std::make_shared<ReaderHelpers>(ReaderHelperServices {
        .workers = &workers,
        .runAI = {},
        .stagingFolder = [this] { return std::optional<std::string>(staging); },
    });
    UrlActions actions;
};

TEST_F(ReaderHelping, TheOutlineReachesThePageAndAWindowWithoutADocumentGetsNothing)
{
    const std::string document = home.file("brief.pdf");
    pdf::testing::writeFixture(document, pdf::testing::outlinedPdf(2, { { "Facts", 2 } }));
    const auto window = reader(document);
    send(*window, "outline");
    ASSERT_TRUE(waitFor(*window, "ikwOutline"));
    EXPECT_EQ(calls(*window, "ikwOutline").front(),
        "if(window.ikwOutline){try{ikwOutline({\"hasOutline\":true,\"items\":[{\"level\":0,\"page\":2,\"title\":\"Facts\"}],"
        "\"ok\":true,\"pageCount\":2})}catch(e){}}");

    const auto empty = windows.open(std::nullopt);
    send(*empty, "outline");
    send(*empty, "aitoc");
    workers.waitUntilIdle();
    queue.drain();
    EXPECT_TRUE(viewOf(*empty).evaluated.empty());
    EXPECT_FALSE(empty->aiTocRunning);
}

TEST_F(ReaderHelping, OneTableOfContentsRunAtATimeWithItsProgressWithoutTheDot)
{
    const std::string document = home.file("brief.pdf");
    pdf::testing::writeFixture(document, pdf::testing::numberedPdf(2));
    const auto window = reader(document);
    send(*window, "aitoc");
    send(*window, "aitoc");
    EXPECT_TRUE(window->aiTocRunning);
    ASSERT_TRUE(waitFor(*window, "ikwAiToc"));
    EXPECT_FALSE(window->aiTocRunning);
    EXPECT_EQ(runs(), (std::vector<std::string> { "[\"toc\", \"--doc\", \"" + document + "\"]" }));
    EXPECT_EQ(calls(*window, "ikwTocProgress"),
        (std::vector<std::string> { "if(window.ikwTocProgress)try{ikwTocProgress(\"Reading\u2026\")}catch(e){}" }));
    EXPECT_EQ(calls(*window, "ikwAiToc").front().find("ikwAiToc({\"toc\""), 23u) << calls(*window, "ikwAiToc").front();

    send(*window, "aitoc");
    ASSERT_TRUE(waitFor(*window, "ikwAiToc", 2));
    EXPECT_EQ(runs().size(), 2u);

    // A run whose page went away still frees its window for the next one.
    send(*window, "aitoc");
    window->web.reset();
    ASSERT_TRUE(queue.runUntil([&] { return !window->aiTocRunning; }, 20));
    EXPECT_EQ(runs().size(), 3u);
}

TEST_F(ReaderHelping, PassagesToExplainAreStagedPrivatelyAndRemovedAndBadOnesGetNoAnswer)
{
    const auto window = reader(home.file("brief.pdf"));
    for (const std::string& hits : { encodeBase64("[]"), encodeBase64("{\"page\":1}"), encodeBase64("[{\"page\":1},2]"),
             encodeBase64("[{\"page\":1}]") + "\n", std::string("%%%"), encodeBase64("[{\"page\":") }) {
        send(*window, "xexplain?q=why&hits=" + hits);
    }
    send(*window, "xexplain?q=why");
    queue.drain();
    EXPECT_TRUE(viewOf(*window).evaluated.empty());
    EXPECT_TRUE(stagedFiles().empty());
    EXPECT_TRUE(runs().empty());

    const std::string hits = encodeBase64("[{\"page\": 3, \"text\": \"a/b\"}, {\"page\": 4}]");
    send(*window, "xexplain?q=why%20so&hits=" + hits);
    const auto staged = stagedFiles();
    ASSERT_EQ(staged.size(), 1u);
    EXPECT_TRUE(staged.front().starts_with("ikw-explain-") && staged.front().ends_with(".json")) << staged.front();
    std::ifstream file(staging + "/" + staged.front());
    std::stringstream written;
    written << file.rdbuf();
    EXPECT_EQ(written.str(), "[{\"page\":3,\"text\":\"a/b\"},{\"page\":4}]");
    EXPECT_EQ(std::filesystem::status(staging + "/" + staged.front()).permissions(),
        std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);

    ASSERT_TRUE(waitFor(*window, "ikwExplain"));
    EXPECT_EQ(calls(*window, "ikwExplain").front(),
        "if(window.ikwExplain){try{ikwExplain({\"explanation\": \"About why so: 2 passages.\", \"count\": 2})}catch(e){}}");
    EXPECT_EQ(runs(), (std::vector<std::string> { "[\"explain\", \"--passages\", \"" + staging + "/" + staged.front() + "\", \"--q\", \"why so\"]" }));
    EXPECT_TRUE(stagedFiles().empty());
}

TEST_F(ReaderHelping, TheQuoteIsLookedForInThePdfThePageHolds)
{
    const std::string base64 = encodeBase64(pdf::testing::numberedPdf(3));
    struct Case {
        std::optional<Json> global;
        std::string query;
        const char* result;
    };
    const Case cases[] = {
        { Json(base64), "?q=Page%203", "true" },
        { Json(base64), "?q=Page%204", "false" },
        { Json(base64), "", "true" },
        { Json(""), "", "false" },
        { Json(42), "?q=Page", "false" },
        { std::nullopt, "?q=Page", "false" },
    };
    for (const Case& c : cases) {
        const auto window = reader(home.file("brief.pdf"));
        viewOf(*window).nextResult = ui::ScriptResult { c.global, std::nullopt };
        send(*window, "verifytext" + c.query);
        ASSERT_TRUE(waitFor(*window, "ikwVerifyResult")) << c.query;
        EXPECT_EQ(viewOf(*window).evaluated.front(), "window.__ikwVerifyB64 || ''");
        EXPECT_EQ(calls(*window, "ikwVerifyResult").front(),
            std::string("if(window.ikwVerifyResult){try{ikwVerifyResult(") + c.result + ")}catch(e){}}") << c.query;
    }
}

}
}
