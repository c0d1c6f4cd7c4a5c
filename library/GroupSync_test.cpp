#include "library/GroupSync.h"

#include "platform/core/Identifiers.h"
#include "platform/core/Paths.h"
#include "review/ReviewTestFixture.h"
#include "review/ReviewWC.h"
#include "tests/support/CapturedStream.h"

#include <gtest/gtest.h>

#include <functional>

namespace ikw::library {
namespace {

constexpr const char* kCode = "ab-cd ef";
constexpr const char* kLibrary = "ikw-1b6ac91aad801b5a8927b569274383a4";

std::string docIdOf(const std::string& bytes) { return "doc:sha256:" + sha256Hex(bytes); }

// The group-writer page as the stand-in engine's: it parses each payload, records it, and
// rejects the calls it is told to.
struct StandInPage {
    std::vector<Json> groups;
    std::vector<Json> thumbCalls;
    bool rejectThumbs = false;

    ui::ScriptResult answer(const std::string& body, const Json& arguments)
    {
        const auto payload = arguments.at("payload");
        EXPECT_TRUE(payload.is_string());
        const auto parsed = parseJson(payload.get<std::string>());
        EXPECT_TRUE(parsed);
        if (body == "return await window.__ikwWriteGroup(payload);") {
            groups.push_back(parsed.value_or(Json()));
            return { Json(nullptr), std::nullopt };
        }
        if (body == "return await window.__ikwPublishThumbs(payload);") {
            if (rejectThumbs)
                return { std::nullopt, "quota exceeded" };
            thumbCalls.push_back(parsed.value_or(Json()));
            return { Json(nullptr), std::nullopt };
        }
        return { std::nullopt, "no such function" };
    }

    std::vector<std::string> publishedIds() const
    {
        std::vector<std::string> ids;
        for (const auto& call : thumbCalls) {
            for (const auto& item : call.at("items"))
                ids.push_back(item.at("id").get<std::string>());
        }
        return ids;
    }
};

class GroupSyncTest : public testing::ReviewFixture {
protected:
    GroupSyncTest() { registerGroupSync(services.features, sync); }

    std::string pdf(const std::string& relative, const std::string& bytes)
    {
        return testing::writeTestFile(home.file(relative), bytes);
    }

    std::shared_ptr<ReviewWC> review(const std::vector<std::string>& paths)
    {
        auto window = windows.open(std::nullopt);
        window->loadReview(paths, std::nullopt);
        return window;
    }

    // Lets the debounce fire and the background work end; the page loads at once unless told.
    void settle(bool loadPage = true)
    {
        queue.advance(GroupSync::kDebounceSeconds);
        sync->waitUntilIdle();
        queue.drain();
        if (loadPage && page() && !sync->bridge().isReady())
            page()->finishLoading();
    }

    // The page's view as the bridge made it last, answering as the stand-in page does.
    ui::fake::FakeWebView* page()
    {
        auto* view = static_cast<ui::fake::FakeWebView*>(sync->bridge().webView().get());
        if (view && !view->answerCall)
            view->answerCall = [this](const std::string& body, const Json& arguments) { return standIn.answer(body, arguments); };
        return view;
    }

    std::string code = kCode;
    StandInPage standIn;
    std::shared_ptr<GroupSync> sync = GroupSync::make({
        .toolkit = &toolkit,
        .pairCode = [this] { return code; },
        .pagePicture = [](const std::string& path) -> std::optional<std::string> {
            if (lastPathComponent(path).starts_with("blank"))
                return std::nullopt;
            return "jpeg of " + lastPathComponent(path);
        },
        .pagePath = [this] { return home.file("engine/groupwriter.html"); },
    });
};

TEST_F(GroupSyncTest, ATwoDocumentReviewWritesItsGroupAndPublishesEachPicture)
{
    const auto a = pdf("Matter/a.pdf", "a");
    const auto b = pdf("Matter/b.pdf", "b");
    pdf("Matter/blank.pdf", "blank page");
    review({ home.file("Matter") });
    settle();

    ASSERT_EQ(standIn.groups.size(), 1u);
    EXPECT_EQ(standIn.groups[0], (Json {
        { "name", "Matter" },
        { "docs", { docIdOf("a"), docIdOf("b"), docIdOf("blank page") } },
        { "code", kCode },
        { "lib", kLibrary },
        { "groupId", group_identity::groupId({ docIdOf("a"), docIdOf("b"), docIdOf("blank page") }) },
        { "deleted", false },
    }));
    ASSERT_EQ(standIn.thumbCalls.size(), 1u);
    EXPECT_EQ(standIn.thumbCalls[0], (Json {
        { "items", { { { "id", docIdOf("a") }, { "b64", "jpeg of a.pdf" } }, { { "id", docIdOf("b") }, { "b64", "jpeg of b.pdf" } } } },
        { "code", kCode },
        { "lib", kLibrary },
    }));
    EXPECT_EQ(page()->loads, (std::vector<std::string> { "file://" + home.file("engine/groupwriter.html") }));
    EXPECT_FALSE(page()->options.scriptMessages);
}

TEST_F(GroupSyncTest, CallsInQuickSuccessionSyncOnceAfterTheLast)
{
    pdf("Matter/a.pdf", "a");
    pdf("Matter/b.pdf", "b");
    const auto window = windows.open(std::nullopt);
    window->hasContent = true;
    window->sourcePaths = { home.file("Matter") };
    for (int call = 0; call < 3; ++call) {
        services.features.scheduleGroupSync(*window);
        queue.advance(0.2);
    }
    queue.advance(0.39);
    sync->waitUntilIdle();
    queue.drain();
    EXPECT_EQ(page(), nullptr) << "synced before the debounce ended";

    settle();
    EXPECT_EQ(standIn.groups.size(), 1u);
    EXPECT_EQ(queue.pendingTimerCount(), 0u);
}

TEST_F(GroupSyncTest, ReadersToolWindowsAndUnpairedWindowsNeverSync)
{
    pdf("Matter/a.pdf", "a");
    pdf("Matter/b.pdf", "b");
    const std::pair<const char*, std::function<void(ReviewWC&, std::string&)>> cases[] {
        { "reader", [](ReviewWC& w, std::string&) { w.isReader = true; } },
        { "organize", [](ReviewWC& w, std::string&) { w.isOrganize = true; } },
        { "bates", [](ReviewWC& w, std::string&) { w.isBates = true; } },
        { "redact", [](ReviewWC& w, std::string&) { w.isRedact = true; } },
        { "compare intake", [](ReviewWC& w, std::string&) { w.isCompareIntake = true; } },
        { "timeline", [](ReviewWC& w, std::string&) { w.timeline.isTimeline = true; } },
        { "campaign", [](ReviewWC& w, std::string&) { w.isCampaign = true; } },
        { "no content", [](ReviewWC& w, std::string&) { w.hasContent = false; } },
        { "no pair code", [](ReviewWC&, std::string& pairCode) { pairCode.clear(); } },
        { "too short a pair code", [](ReviewWC&, std::string& pairCode) { pairCode = "ab-12"; } },
    };
    for (const auto& [name, shape] : cases) {
        code = kCode;
        const auto window = windows.open(std::nullopt);
        window->hasContent = true;
        window->sourcePaths = { home.file("Matter") };
        shape(*window, code);
        sync->runGroupSync(*window);
        settle();
        EXPECT_EQ(page(), nullptr) << name;
    }
}

TEST_F(GroupSyncTest, OneDocumentPublishesItsPictureButWritesNoGroup)
{
    const auto only = pdf("Matter/only.pdf", "only");
    review({ only });
    settle();
    EXPECT_TRUE(standIn.groups.empty());
    EXPECT_EQ(standIn.publishedIds(), (std::vector<std::string> { docIdOf("only") }));
}

TEST_F(GroupSyncTest, TheSameReviewWritesOnceUntilAMemberChanges)
{
    pdf("Matter/a.pdf", "a");
    pdf("Matter/b.pdf", "b");
    const auto window = review({ home.file("Matter") });
    settle();
    window->loadReview({ home.file("Matter") }, std::nullopt);
    settle();
    EXPECT_EQ(standIn.groups.size(), 1u);
    EXPECT_EQ(standIn.publishedIds().size(), 2u) << "pictures already accepted were offered again";

    pdf("Matter/b.pdf", "b, edited");
    window->loadReview({ home.file("Matter") }, std::nullopt);
    settle();
    ASSERT_EQ(standIn.groups.size(), 2u);
    EXPECT_EQ(standIn.groups[1].at("docs"), (Json { docIdOf("a"), docIdOf("b, edited") }));
    EXPECT_EQ(standIn.publishedIds(), (std::vector<std::string> { docIdOf("a"), docIdOf("b"), docIdOf("b, edited") }));
}

TEST_F(GroupSyncTest, TwentyPicturesReachThePageInCallsOfEightEightAndFour)
{
    for (int i = 0; i < 20; ++i)
        pdf("Many/doc-" + std::to_string(100 + i) + ".pdf", "document " + std::to_string(i));
    review({ home.file("Many") });
    settle();
    std::vector<std::size_t> sizes;
    for (const auto& call : standIn.thumbCalls)
        sizes.push_back(call.at("items").size());
    EXPECT_EQ(sizes, (std::vector<std::size_t> { 8, 8, 4 }));
}

TEST_F(GroupSyncTest, RequestsWaitForThePageAndRunInOrderOnceItHasLoaded)
{
    pdf("Matter/a.pdf", "a");
    pdf("Matter/b.pdf", "b");
    review({ home.file("Matter") });
    settle(false);
    ASSERT_NE(page(), nullptr);
    EXPECT_TRUE(page()->evaluated.empty());
    EXPECT_EQ(sync->bridge().pendingCount(), 2u);

    page()->finishLoading();
    ASSERT_EQ(page()->evaluated.size(), 2u);
    EXPECT_TRUE(page()->evaluated[0].ends_with("__ikwWriteGroup(payload);")) << page()->evaluated[0];
    EXPECT_TRUE(page()->evaluated[1].ends_with("__ikwPublishThumbs(payload);"));
    EXPECT_EQ(sync->bridge().pendingCount(), 0u);
}

TEST_F(GroupSyncTest, RefusedPicturesAreLoggedWithoutThePayloadAndOfferedAgain)
{
    pdf("Matter/a.pdf", "a");
    pdf("Matter/b.pdf", "b");
    standIn.rejectThumbs = true;
    std::string log;
    {
        testing::CapturedStream errors(2);
        review({ home.file("Matter") });
        settle();
        log = errors.text();
    }
    EXPECT_NE(log.find("Inkwarden cover backfill error: quota exceeded\n"), std::string::npos) << log;
    EXPECT_EQ(log.find(kCode), std::string::npos);
    EXPECT_EQ(log.find("jpeg of"), std::string::npos);

    standIn.rejectThumbs = false;
    review({ home.file("Matter") });
    settle();
    EXPECT_EQ(standIn.publishedIds(), (std::vector<std::string> { docIdOf("a"), docIdOf("b") }));
}

TEST_F(GroupSyncTest, APageThatFailsToLoadDropsItsRequestsAndIsLoadedAnewNextTime)
{
    pdf("Matter/a.pdf", "a");
    pdf("Matter/b.pdf", "b");
    review({ home.file("Matter") });
    settle(false);
    const auto* first = page();
    ASSERT_NE(first, nullptr);
    std::string log;
    {
        testing::CapturedStream errors(2);
        page()->failLoading("file not found");
        queue.drain();
        log = errors.text();
    }
    EXPECT_EQ(sync->bridge().pendingCount(), 0u);
    EXPECT_EQ(sync->bridge().webView(), nullptr);
    EXPECT_NE(log.find("file not found"), std::string::npos) << log;

    review({ home.file("Matter") });
    settle();
    ASSERT_NE(page(), nullptr);
    EXPECT_EQ(page()->loads.size(), 1u);
    EXPECT_EQ(standIn.groups.size(), 1u);
    EXPECT_EQ(standIn.publishedIds().size(), 2u);
}

}
}
