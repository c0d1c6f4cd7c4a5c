#include "library/DocumentSets.h"

#include "app/Settings.h"
#include "library/LibraryActions.h"
#include "library/LibraryLayer.h"
#include "platform/core/Paths.h"
#include "review/ReviewTestFixture.h"
#include "review/UrlActions.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace ikw::library {
namespace {

using ::testing::ElementsAre;
using Windows = std::vector<std::shared_ptr<ReviewWC>>;

class DocumentSetSwitch : public testing::ReviewFixture {
protected:
    DocumentSetSwitch() { registerActions(actions, [this] { return layer; }); }

    void send(ReviewWC& window, const std::string& query)
    {
        actions.dispatch("multidoc", UrlAction { window, "qeliz://multidoc" + query });
        queue.drain();
    }
    std::string doc(const std::string& name) { return testing::writeTestFile(home.file("Matter/" + name), "%PDF-1.4\n"); }
    std::optional<Json> storedMode() const
    {
        const auto settings = loadConfig();
        const auto mode = settings.find("multidoc_open_mode");
        return mode == settings.end() ? std::nullopt : std::optional<Json>(*mode);
    }
    Windows readersOf(const std::vector<std::string>& set) const
    {
        Windows found;
        for (const auto& window : windowsOfSet(windows, set)) {
            if (window->isReader)
                found.push_back(window);
        }
        return found;
    }
    std::string setStateScript(int count, const char* shown) const
    {
        return "if(window.ikwSetState){try{ikwSetState(" + std::to_string(count) + ",\"" + shown + "\")}catch(e){}}";
    }

    std::shared_ptr<LibraryLayer> layer = std::make_shared<LibraryLayer>(services, windows, LibraryHooks { .temporaryRoots = [this] {
        // The test's home is itself in a temporary folder.
        auto roots = RecentLists::defaultTemporaryRoots();
        std::erase_if(roots, [&](const std::string& root) { return home.path().starts_with(root + "/"); });
        return roots;
    } });
    UrlActions actions;
    const std::vector<std::string> set { doc("a.pdf"), doc("b.pdf"), doc("c.pdf") };
};

TEST_F(DocumentSetSwitch, AWindowWithOnePathSwitchesNothingNotEvenTheSetting)
{
    layer->openers().openReader(set[0], {});
    layer->openers().openReviewDirect({ home.file("Matter") }, std::nullopt);
    const auto before = windows.windows();
    for (const auto& window : before) {
        viewOf(*window).evaluated.clear();
        send(*window, "?mode=separately");
        send(*window, "?mode=together");
    }
    EXPECT_FALSE(storedMode());
    EXPECT_EQ(windows.windows(), before);
    for (const auto& window : before)
        EXPECT_TRUE(viewOf(*window).evaluated.empty());
}

TEST_F(DocumentSetSwitch, AReviewSwitchedToSeparatelyOpensAReaderPerDocumentAndGoes)
{
    layer->openers().openReviewDirect(set, std::nullopt);
    const auto review = windows.windows().back();
    layer->recent().clearRecent();

    send(*review, "?mode=separately");
    EXPECT_EQ(storedMode(), Json("separately"));
    EXPECT_TRUE(review->isClosed());
    const auto readers = readersOf(set);
    ASSERT_EQ(readers.size(), 3u);
    for (size_t index = 0; index < readers.size(); ++index)
        EXPECT_EQ(readers[index]->sourcePaths, std::vector<std::string> { set[index] });
    EXPECT_EQ(windows.windows(), readers);
    // The readers joined the review's window as tabs: only the review's tab went.
    EXPECT_FALSE(windowOf(*readers.front()).closed);
    // The readers' documents are the newest recent items.
    const auto recent = layer->recent().recentItems();
    ASSERT_GE(recent.size(), 3u);
    EXPECT_EQ((std::vector<std::string> { recent[2].path, recent[1].path, recent[0].path }), set);
}

TEST_F(DocumentSetSwitch, AReviewStaysWhenNoReaderOfItsSetCouldBeOpened)
{
    // Spreadsheets go to their application, never into a reader.
    const std::vector<std::string> sheets { home.file("Matter/q1.xlsx"), home.file("Matter/q2.xlsx") };
    layer->openers().openReviewDirect(sheets, std::nullopt);
    const auto review = windows.windows().back();
    ASSERT_TRUE(review->setPaths.empty()); // its set is its sources

    send(*review, "?mode=separately");
    EXPECT_FALSE(review->isClosed());
    EXPECT_EQ(windows.windows(), Windows { review });
    EXPECT_EQ(storedMode(), Json("separately"));
}

TEST_F(DocumentSetSwitch, AReaderSwitchedToTogetherOpensOneReviewAndClosesTheReadersOfItsSet)
{
    layer->router().openEachIndividually(set);
    const auto readers = readersOf(set);
    ASSERT_EQ(readers.size(), 3u);
    // The same documents in another order are another set.
    const std::vector<std::string> reordered { set[1], set[0], set[2] };
    layer->openers().openReader(set[1], { .setPaths = reordered });
    const auto other = windows.windows().back();
    engineRuns.clear();

    send(*readers[1], "?mode=together");
    EXPECT_EQ(storedMode(), Json("together"));
    for (const auto& reader : readers)
        EXPECT_TRUE(reader->isClosed());
    ASSERT_EQ(windows.windows().size(), 2u);
    EXPECT_EQ(windows.windows().front(), other);
    EXPECT_FALSE(other->isClosed());
    const auto review = windows.windows().back();
    EXPECT_FALSE(review->isReader);
    EXPECT_EQ(review->sourcePaths, set);
    EXPECT_EQ(review->setPaths, set);
    ASSERT_EQ(engineRuns.size(), 1u);
    EXPECT_EQ(std::vector<std::string>(engineRuns[0].end() - 3, engineRuns[0].end()), set);
}

TEST_F(DocumentSetSwitch, TheWayASetIsAlreadyShownOnlyRefreshesItsWindowsYetIsStored)
{
    layer->openers().openReviewDirect(set, std::nullopt);
    const auto review = windows.windows().back();
    layer->openers().openReader(set[0], { .setPaths = set });
    const auto reader = windows.windows().back();
    layer->openers().openReader(set[0], { .setPaths = { set[0], set[1] } });
    const auto stranger = windows.windows().back();
    writeConfig(R"({"multidoc_open_mode":"together"})");
    const auto clearScripts = [&] {
        for (const auto& window : windows.windows())
            viewOf(*window).evaluated.clear();
    };

    clearScripts();
    send(*reader, "?mode=separately");
    EXPECT_EQ(storedMode(), Json("separately"));
    EXPECT_THAT(viewOf(*review).evaluated, ElementsAre(setStateScript(3, "together")));
    EXPECT_THAT(viewOf(*reader).evaluated, ElementsAre(setStateScript(3, "separately")));
    EXPECT_TRUE(viewOf(*stranger).evaluated.empty());

    clearScripts();
    send(*review, "?mode=together");
    EXPECT_EQ(storedMode(), Json("together"));
    EXPECT_THAT(viewOf(*review).evaluated, ElementsAre(setStateScript(3, "together")));
    EXPECT_THAT(viewOf(*reader).evaluated, ElementsAre(setStateScript(3, "separately")));
    EXPECT_EQ(windows.windows(), (Windows { review, reader, stranger }));
    EXPECT_TRUE(engineRuns.size() == 1u && !review->isClosed() && !reader->isClosed());
}

TEST_F(DocumentSetSwitch, OnlyTheTwoExactWordsSwitch)
{
    layer->openers().openReviewDirect(set, std::nullopt);
    const auto review = windows.windows().back();
    viewOf(*review).evaluated.clear();
    for (const char* query : { "", "?mode=Together", "?mode=SEPARATELY", "?mode=", "?mode=separately%20", "?way=together" })
        send(*review, query);
    EXPECT_FALSE(storedMode());
    EXPECT_EQ(windows.windows(), Windows { review });
    EXPECT_TRUE(viewOf(*review).evaluated.empty());
}

TEST(DocumentSetMode, TheModeIsStoredAsGivenAndReadBackOnlyWhenExact)
{
    testing::TempHome home;
    ScopedGlobals globals { Globals::build(Paths::fromEnvironment()) };
    testing::writeTestFile(globals.get().configPath, R"({"open_in":"window"})");
    for (const char* mode : { "Separately", "separately" }) {
        setMultidocOpenMode(mode);
        EXPECT_EQ(loadConfig()["multidoc_open_mode"], mode);
        EXPECT_EQ(loadConfig()["open_in"], "window"); // the rest of the settings stays
    }
    EXPECT_EQ(multidocOpenMode(loadConfig()), "separately");
    setMultidocOpenMode("Separately");
    EXPECT_FALSE(multidocOpenMode(loadConfig()));
}

}
}
