#include "review/ReviewTestFixture.h"

#include "platform/core/FileSystem.h"
#include "review/TrustedRoots.h"

#include <gmock/gmock.h>

#include <fstream>

namespace ikw {
namespace {

using testing::ReviewFixture;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

using ReviewWindow = ReviewFixture;
using ReviewTabs = ReviewFixture;

TEST_F(ReviewWindow, PageReadyInjectionSendsItsScriptsInOrder)
{
    std::vector<std::string> order;
    auto mark = [&](const char* name) { return [&order, name](ReviewWC& window) { order.push_back(name); window.evaluate(name); }; };
    services.features.pushEditState = mark("editState");
    services.features.pushWordButton = mark("wordButton");
    services.features.pushSignatureVault = mark("signatureVault");
    services.features.injectFDABanner = mark("fdaBanner");
    services.features.pinnedJSON = [] { return std::string("[{\"path\":\"/p\",\"name\":\"p\"}]"); };
    services.features.claimedDefaultAppTypeCount = [] { return 2; };
    auto window = windows.open(home.file("reviews/page.html"));
    window->setPaths = { "/a", "/b", "/c" };
    window->isReader = true;

    viewOf(*window).finishLoading();

    EXPECT_THAT(viewOf(*window).evaluated, ElementsAre(
        "try{document.documentElement.dataset.theme='dark'}catch(e){}",
        "try{window.IKW_REDACT=" + std::string(globals.get().brand.modules.count("redact") && globals.get().brand.modules.at("redact") ? "true" : "false") + "}catch(e){}",
        "try{window.IKW_BRAND_NAME=" + jsQuote(globals.get().brand.name) + ";window.IKW_CLAIMS_IMAGES=true}catch(e){}",
        "try{window.IKW_DEFAULT_OK=1}catch(e){}",
        "editState",
        "wordButton",
        "if(window.ikwSetState){try{ikwSetState(3,\"separately\")}catch(e){}}",
        "signatureVault",
        "fdaBanner",
        "if(window.ikwSetPinned){try{ikwSetPinned([{\"path\":\"/p\",\"name\":\"p\"}])}catch(e){}}"));
}

TEST_F(ReviewWindow, PageReadyStartsTheWatcherOnlyWhenTheSourcesChange)
{
    const auto folder = home.file("docs");
    testing::writeTestFile(folder + "/a.txt", "a");
    auto window = windows.open(home.file("reviews/page.html"));
    window->hasContent = true;
    window->sourcePaths = { folder };
    viewOf(*window).finishLoading();
    ASSERT_NE(window->watch.watcher, nullptr);
    const auto* first = window->watch.watcher.get();
    viewOf(*window).finishLoading();
    EXPECT_EQ(window->watch.watcher.get(), first); // a reload of the same review keeps its watcher
    EXPECT_EQ(window->watch.watchedPaths, std::vector<std::string> { folder });
}

TEST_F(ReviewWindow, LoadReviewAndRerunsStartTheEngineWithTheirArguments)
{
    auto window = windows.open(std::nullopt);
    window->loadReview({ "/a", "/b" }, std::nullopt);
    const auto file = *window->loadingFile;
    window->loadReview({ "/a", "/b" }, "x");
    const auto second = *window->loadingFile;
    window->reshellReview(std::nullopt, "pdf", true);
    window->reshellChoose(true);
    window->reloadRecache(true);

    EXPECT_NE(file, second);
    EXPECT_THAT(engineRuns, ElementsAre(
        ElementsAre("--choose", "--loading-file", file, "/a", "/b"),
        ElementsAre("--choose", "--loading-file", second, "--mode", "x", "/a", "/b"),
        ElementsAre("--loading-file", second, "--include-types", "pdf", "--remember", "/a", "/b"),
        ElementsAre("--choose", "--loading-file", second, "--reset-pref", "/a", "/b"),
        ElementsAre("--choose", "--loading-file", second, "--fresh", "/a", "/b")));
    // Every run starts again from the loading page.
    EXPECT_EQ(testing::readTestFile(second), globals.get().loadingHTML);
    EXPECT_EQ(viewOf(*window).loads.back(), "file://" + second);
}

TEST_F(ReviewWindow, CancelEndsTheRunAndShowsItsLoadingFileAgain)
{
    std::vector<std::string> cancelled;
    services.cancelRun = [&](const std::string& file) { cancelled.push_back(file); };
    auto window = windows.open(std::nullopt);
    window->loadReview({ "/a" }, std::nullopt);
    const auto loads = viewOf(*window).loads.size();
    window->doCancel();
    EXPECT_EQ(cancelled, std::vector<std::string> { *window->loadingFile });
    EXPECT_EQ(viewOf(*window).loads.size(), loads + 1);
    EXPECT_EQ(viewOf(*window).loads.back(), "file://" + *window->loadingFile);
}

TEST_F(ReviewWindow, RerunsWithoutAReviewDoNothing)
{
    auto window = windows.open(std::nullopt);
    window->reshellReview("f", "t", false);
    window->reshellChoose(false);
    window->doCancel();
    window->reloadRecache(false);
    EXPECT_THAT(engineRuns, IsEmpty());
    EXPECT_EQ(viewOf(*window).reloads, 1);
}

TEST_F(ReviewWindow, FloatsOnlyWhenAlwaysOnTopIsTheJsonTrue)
{
    const std::pair<const char*, ui::WindowLevel> cases[] = {
        { R"({"always_on_top": true})", ui::WindowLevel::Floating },
        { R"({"always_on_top": "true"})", ui::WindowLevel::Normal },
        { R"({"always_on_top": 1})", ui::WindowLevel::Normal },
        { R"({"always_on_top": false})", ui::WindowLevel::Normal },
        { R"({})", ui::WindowLevel::Normal },
    };
    for (const auto& [config, level] : cases) {
        writeConfig(config);
        auto window = windows.open(std::nullopt);
        EXPECT_EQ(windowOf(*window).level, level) << config;
    }
}

TEST_F(ReviewWindow, TabsShareTheirHostsWindowAndEachHasItsOwnBridgeId)
{
    auto first = windows.open(std::nullopt);
    auto second = windows.open(std::nullopt, first.get());
    EXPECT_EQ(&first->window(), &second->window());
    EXPECT_EQ(windowOf(*first).tabCount(), 2);
    EXPECT_NE(first->bridgeId, second->bridgeId);
    for (const auto& id : { first->bridgeId, second->bridgeId })
        EXPECT_THAT(id, ::testing::MatchesRegex("w[0-9a-f]{8}"));
}

TEST_F(ReviewWindow, TheNewTabButtonOpensTheWelcomePageInThatWindow)
{
    std::vector<ReviewWC*> hosts;
    services.showWelcomeTab = [&](ReviewWC& host) { hosts.push_back(&host); };
    auto first = windows.open(std::nullopt);
    auto second = windows.open(std::nullopt, first.get());
    ASSERT_TRUE(windowOf(*first).newTab);
    windowOf(*first).newTab();
    ASSERT_EQ(hosts.size(), 1u);
    EXPECT_EQ(&hosts.front()->window(), &second->window());
    // A window of its own has a button of its own.
    auto other = windows.open(std::nullopt);
    windowOf(*other).newTab();
    ASSERT_EQ(hosts.size(), 2u);
    EXPECT_EQ(hosts.back(), other.get());
}

TEST_F(ReviewWindow, ThePageTitleNamesTheWindowUnlessItStandsForAFile)
{
    auto window = windows.open(std::nullopt);
    viewOf(*window).changeTitle("Review of Matter");
    viewOf(*window).changeTitle("");
    EXPECT_EQ(window->window().title(), "Review of Matter");
    EXPECT_EQ(windowOf(*window).tabs.front().title, "Review of Matter");
    window->representFile("/docs/brief.pdf");
    viewOf(*window).changeTitle("pdf.js viewer");
    EXPECT_EQ(window->window().title(), "Review of Matter");
}

TEST_F(ReviewWindow, NonReadersCloseAtOnceAndLeaveTheList)
{
    std::vector<std::string> closedTabs;
    services.features.recordClosedTab = [&](ReviewWC& window) { closedTabs.push_back(window.bridgeId); };
    auto window = windows.open(std::nullopt);
    const auto id = window->bridgeId;
    std::weak_ptr<ReviewWC> weak = window;
    window.reset();
    windows.windows().front()->window().requestClose();
    EXPECT_TRUE(windows.isEmpty());
    EXPECT_TRUE(weak.expired() || weak.lock()->isClosed());
    EXPECT_EQ(closedTabs, std::vector<std::string> { id });
}

TEST_F(ReviewWindow, AReaderWithoutFlushClosesAtOnceKeepingItsView)
{
    auto window = windows.open(std::nullopt);
    window->isReader = true;
    viewOf(*window).nextResult = ui::ScriptResult { Json("{\"page\":3}"), std::nullopt };
    window->window().requestClose();
    EXPECT_TRUE(window->isClosed());
    EXPECT_EQ(window->reader.lastViewState, "{\"page\":3}");
}

TEST_F(ReviewWindow, AReaderWhosePageIsFlushingClosesAfterTheGrace)
{
    auto window = windows.open(std::nullopt);
    window->isReader = true;
    viewOf(*window).nextResult = ui::ScriptResult { Json(1), std::nullopt };
    window->window().requestClose();
    queue.advance(1.4);
    EXPECT_FALSE(window->isClosed());
    queue.advance(0.2);
    EXPECT_TRUE(window->isClosed());
    EXPECT_TRUE(window->reader.readerClosing);
}

TEST_F(ReviewWindow, AWindowOfTabsClosesOnceItsReaderHasSettled)
{
    auto review = windows.open(std::nullopt);
    auto reader = windows.open(std::nullopt, review.get());
    reader->isReader = true;
    viewOf(*reader).nextResult = ui::ScriptResult { Json(1), std::nullopt };
    review->window().requestClose();
    EXPECT_FALSE(review->isClosed());
    queue.advance(1.5);
    EXPECT_TRUE(review->isClosed());
    EXPECT_TRUE(reader->isClosed());
    EXPECT_TRUE(windows.isEmpty());
}

TEST_F(ReviewWindow, CancellingTheEditorPromptKeepsTheReaderOpen)
{
    services.features.mayCloseEditor = [](ReviewWC&, std::function<void()>) { return false; };
    auto window = windows.open(std::nullopt);
    window->isReader = true;
    window->window().requestClose();
    queue.advance(5);
    EXPECT_FALSE(window->isClosed());
    EXPECT_FALSE(window->reader.readerClosing);
}

TEST_F(ReviewWindow, ScriptMessagesAndActionsCountOnlyFromTrustedPages)
{
    std::vector<Json> messages;
    services.scriptMessage = [&](ReviewWC&, const Json& body) { messages.push_back(body); };
    int actions = 0;
    services.navigationPolicy = [&](ReviewWC&, const ui::NavigationAction&) { ++actions; return ui::NavigationPolicy::Cancel; };
    auto window = windows.open(home.file("reviews/page.html"));
    viewOf(*window).postMessage(Json { { "type", "stat" } });
    viewOf(*window).navigate({ "qeliz://home", false });

    auto stranger = windows.open(home.file("Downloads/evil.html"));
    viewOf(*stranger).postMessage(Json { { "type", "stat" } });
    EXPECT_EQ(viewOf(*stranger).navigate({ "qeliz://home", false }), ui::NavigationPolicy::Cancel);

    EXPECT_EQ(messages.size(), 1u);
    EXPECT_EQ(actions, 1);
}

TEST_F(ReviewWindow, TheMessageProxyDoesNotKeepTheWindowAlive)
{
    auto window = windows.open(home.file("reviews/page.html"));
    auto view = std::static_pointer_cast<ui::fake::FakeWebView>(window->web);
    std::weak_ptr<ReviewWC> weak = window;
    window->window().requestClose();
    window.reset();
    EXPECT_TRUE(weak.expired());
    view->postMessage(Json { { "type", "stat" } }); // dropped, no crash
}

TEST_F(ReviewWindow, DownloadsNeverReplaceAFileAndTellThePage)
{
    auto window = windows.open(home.file("reviews/page.html"));
    auto& events = viewOf(*window).downloadEvents;
    const auto downloads = globals.get().paths.downloadsDir();
    testing::writeTestFile(downloads + "/report.pdf", "old");
    const auto destination = events.destination("https://x.y/r", "../../report.pdf");
    ASSERT_TRUE(destination);
    EXPECT_EQ(*destination, downloads + "/report 2.pdf");
    events.finished(destination);
    events.finished(std::nullopt);
    EXPECT_THAT(viewOf(*window).evaluated, ElementsAre(
        "window.__ikwToast && __ikwToast(\"Downloaded \u201Creport 2.pdf\u201D to Downloads\")",
        "window.__ikwToast && __ikwToast(\"The download of \u201Creport 2.pdf\u201D failed\")"));
    EXPECT_EQ(testing::readTestFile(downloads + "/report.pdf"), "old");
}

TEST_F(ReviewTabs, ClosingATabClosesThatTabAfterItsReaderStepsAndTheWindowWithItsLastTab)
{
    std::vector<std::string> closedTabs;
    services.features.recordClosedTab = [&](ReviewWC& window) { closedTabs.push_back(window.bridgeId); };
    auto review = windows.open(std::nullopt);
    auto reader = windows.open(std::nullopt, review.get());
    reader->isReader = true;
    viewOf(*reader).nextResult = ui::ScriptResult { Json(1), std::nullopt }; // the page is flushing

    reader->closeTab();
    EXPECT_FALSE(reader->isClosed()); // settling first
    queue.advance(1.5);
    EXPECT_TRUE(reader->isClosed());
    EXPECT_TRUE(reader->reader.readerClosing);
    EXPECT_FALSE(review->isClosed());
    EXPECT_FALSE(windowOf(*review).closed);
    ASSERT_EQ(windowOf(*review).tabCount(), 1);
    EXPECT_EQ(windowOf(*review).tab(0), review->web);
    EXPECT_EQ(closedTabs, std::vector<std::string> { reader->bridgeId });
    EXPECT_EQ(windows.windows(), std::vector<std::shared_ptr<ReviewWC>> { review });

    review->closeTab(); // its last tab: the window goes
    EXPECT_TRUE(windowOf(*review).closed);
    EXPECT_TRUE(windows.isEmpty());
}

TEST_F(ReviewTabs, ClosingAReaderAtOnceLeavesTheOtherReadersSteps)
{
    auto first = windows.open(std::nullopt);
    auto second = windows.open(std::nullopt, first.get());
    for (const auto& window : { first, second }) {
        window->isReader = true;
        viewOf(*window).nextResult = ui::ScriptResult { Json(1), std::nullopt };
    }
    second->reader.readerClosing = true; // what "closenow" says: its page has settled itself
    second->closeTab();
    EXPECT_TRUE(second->isClosed());
    EXPECT_FALSE(first->isClosed());
    EXPECT_TRUE(viewOf(*first).evaluated.empty()); // nobody asked the other reader to flush
    EXPECT_FALSE(first->reader.readerClosing);
}

TEST_F(ReviewTabs, CtrlWClosesTheCurrentTabAndCtrlQQuits)
{
    int quits = 0;
    services.quit = [&] { ++quits; };
    auto first = windows.open(std::nullopt);
    auto second = windows.open(std::nullopt, first.get());
    auto& frame = windowOf(*first);
    ASSERT_TRUE(frame.shortcuts.count("<Control>w") && frame.shortcuts.count("<Control>q"));
    frame.selectTab(0);
    frame.shortcuts.at("<Control>w")();
    EXPECT_TRUE(first->isClosed());
    EXPECT_FALSE(second->isClosed());
    frame.shortcuts.at("<Control>q")();
    EXPECT_EQ(quits, 1);
    frame.shortcuts.at("<Control>w")();
    EXPECT_TRUE(frame.closed);
}

TEST_F(ReviewTabs, NoFrameShowsALocalPageFromOutsideTheTrustedFolders)
{
    std::vector<std::string> handedOut;
    services.openOutside = [&](const std::string& path) { handedOut.push_back(path); };
    auto window = windows.open(home.file("reviews/page.html"));
    using ui::ResponsePolicy;
    struct Case {
        ui::DocumentResponse document;
        ResponsePolicy policy;
        std::vector<std::string> handedOut;
    };
    const std::string stranger = home.file("Downloads/evil.html");
    const Case cases[] = {
        { { "file://" + home.file("reviews/other.html?x=1"), "text/html", true, true }, ResponsePolicy::Show, {} },
        { { "file://" + home.file("reviews/frame.html"), "text/html", false, true }, ResponsePolicy::Show, {} },
        { { "file://" + stranger, "text/html", true, true }, ResponsePolicy::Refuse, { stranger } },
        { { "file://" + stranger, "text/html", false, true }, ResponsePolicy::Refuse, {} },
        { { "file://" + home.file("reviews/../Downloads/evil.html"), "text/html", false, true }, ResponsePolicy::Refuse, {} },
        // A subframe shows only ours; whatever it cannot show is a download.
        { { "data:text/html,<script>x</script>", "text/html", false, true }, ResponsePolicy::Refuse, {} },
        { { "blob:file:///x", "text/html", false, true }, ResponsePolicy::Refuse, {} },
        { { "about:srcdoc", "text/html", false, true }, ResponsePolicy::Show, {} },
        { { "vtpage://doc/?p=/a.pdf", "image/png", false, true }, ResponsePolicy::Show, {} },
        { { "blob:file:///y", "application/zip", false, false }, ResponsePolicy::Download, {} },
        // The top frame may show a stranger's document; the bridge then refuses it everything.
        { { "blob:file:///z", "application/octet-stream", true, false }, ResponsePolicy::Download, {} },
        { { "data:text/plain,hi", "text/plain", true, true }, ResponsePolicy::Show, {} },
    };
    for (const auto& c : cases) {
        handedOut.clear();
        EXPECT_EQ(viewOf(*window).respond(c.document), c.policy) << c.document.url << (c.document.mainFrame ? " (top)" : " (frame)");
        EXPECT_EQ(handedOut, c.handedOut) << c.document.url;
    }
}

TEST_F(ReviewTabs, WithoutAPageFileTheLoadingTextStaysStillInTheReviewsFolder)
{
    auto window = windows.open(std::nullopt);
    ASSERT_EQ(viewOf(*window).htmlLoads.size(), 1u);
    const auto& [html, base] = viewOf(*window).htmlLoads.front();
    EXPECT_NE(html.find("preparing"), std::string::npos);
    EXPECT_EQ(html.find("location.replace"), std::string::npos); // no reload into nothing
    EXPECT_TRUE(isTrustedPageUrl(base, { globals.get().archive })) << base;
    EXPECT_TRUE(toolkit.fakeWorkspace.openedFiles.empty());
}

}
}
