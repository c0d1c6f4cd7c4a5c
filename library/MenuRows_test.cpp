#include "library/MenuRows.h"

#include "app/StableHash.h"
#include "library/LibraryLayer.h"
#include "review/ReviewTestFixture.h"

#include <gtest/gtest.h>

namespace ikw::library {
namespace {

class MenuRowsTest : public testing::ReviewFixture {
protected:
    MenuRowsTest()
    {
        registerMenuCommands(commands, [this] { return layer; });
        // Commands whose owners come later: stand-ins, so only the validation rows decide.
        for (const char* name : { "revealCurrentDoc:", "copyCurrentDocPath:", "renameCurrentDoc:", "duplicateCurrentDoc:", "shrinkCurrentDoc:",
                 "shareOnline:", "myOnlineShares:", "printCurrentDoc:", "goBackJS:", "prevPageMenu:", "nextPageMenu:", "firstPageMenu:",
                 "lastPageMenu:", "gotoPageMenu:", "tocToggleMenu:", "thumbsToggleMenu:" })
            commands.add(name, [](const MenuUse&) {});
    }

    std::shared_ptr<ReviewWC> review(std::vector<std::string> sources, bool reader, ReviewWC* host = nullptr)
    {
        auto window = windows.open(std::nullopt, host);
        window->isReader = reader;
        window->hasContent = true;
        window->sourcePaths = std::move(sources);
        windowOf(*window).active = true;
        return window;
    }
    bool enabled(const std::string& command, ui::Window* window = nullptr)
    {
        ui::MenuItem item;
        item.command = command;
        return commands.validate({ item, window }).enabled;
    }
    bool run(const std::string& command, ui::Window* window, Json object = nullptr)
    {
        ui::MenuItem item;
        item.command = command;
        item.representedObject = std::move(object);
        return commands.perform({ item, window });
    }
    std::string doc(const std::string& name) { return testing::writeTestFile(home.file("Docs/" + name), "%PDF-1.4\n"); }

    MenuCommands commands;
    std::shared_ptr<LibraryLayer> layer = std::make_shared<LibraryLayer>(services, windows,
        LibraryHooks {
            .temporaryRoots = [] { return std::vector<std::string> {}; }, // the test's home is in one
            .menuResponder = [this](ui::Window& window) { return commands.responderFor(&window); },
        });
};

TEST_F(MenuRowsTest, PageItemsNeedAReaderWhileDocumentItemsNeedOnlyTheDocument)
{
    const std::vector<std::string> documentItems { "revealCurrentDoc:", "copyCurrentDocPath:", "renameCurrentDoc:", "duplicateCurrentDoc:" };
    const std::vector<std::string> readerItems { "printCurrentDoc:", "myOnlineShares:", "prevPageMenu:", "gotoPageMenu:", "thumbsToggleMenu:" };
    const std::vector<std::string> pdfReaderItems { "shrinkCurrentDoc:", "shareOnline:" };
    const auto check = [&](const std::vector<std::string>& names, bool expected, const char* when) {
        for (const auto& name : names)
            EXPECT_EQ(enabled(name), expected) << name << " " << when;
    };

    check(documentItems, false, "with no window");
    const auto window = review({ doc("Lease.PDF") }, false);
    check(documentItems, true, "not a reader");
    check(readerItems, false, "not a reader");
    check(pdfReaderItems, false, "not a reader");
    window->isReader = true;
    check(readerItems, true, "a reader");
    check(pdfReaderItems, true, "a reader of a PDF (any letter case)");
    window->sourcePaths = { doc("notes.txt") };
    check(pdfReaderItems, false, "a reader of text");
    window->sourcePaths = { home.file("Docs") }; // a folder is no document
    check(documentItems, false, "a folder");
    EXPECT_TRUE(enabled("newTab:"));
}

TEST_F(MenuRowsTest, ReopenClosedTabNamesTheNewestClosedTab)
{
    ui::MenuItem item;
    item.command = "reopenClosedTab:";
    const auto state = [&] { return commands.validate({ item, nullptr }); };
    EXPECT_FALSE(state().enabled);
    EXPECT_EQ(state().title, "Reopen Closed Tab");
    const auto window = review({ doc("Lease.pdf") }, true);
    window->window().setTabTitle(*window->web, "Lease \u2014 draft");
    window->window().requestClose();
    EXPECT_TRUE(state().enabled);
    EXPECT_EQ(state().title, "Reopen \u201CLease \u2014 draft\u201D");
    EXPECT_TRUE(run("reopenClosedTab:", nullptr));
    EXPECT_FALSE(state().enabled);
    EXPECT_EQ(windows.windows().size(), 1u);
}

TEST_F(MenuRowsTest, PinCommandsFollowWhetherTheCurrentFolderIsPinned)
{
    EXPECT_FALSE(enabled("pinCurrentFolder:"));
    EXPECT_FALSE(enabled("unpinCurrentFolder:"));
    review({ doc("Lease.pdf") }, true);
    EXPECT_TRUE(enabled("pinCurrentFolder:"));
    EXPECT_FALSE(enabled("unpinCurrentFolder:"));
    EXPECT_TRUE(run("pinCurrentFolder:", nullptr));
    EXPECT_EQ(layer->recent().pinned(), (std::vector<std::string> { home.file("Docs") }));
    EXPECT_FALSE(enabled("pinCurrentFolder:"));
    EXPECT_TRUE(run("unpinCurrentFolder:", nullptr));
    EXPECT_TRUE(layer->recent().pinned().empty());
}

TEST_F(MenuRowsTest, RecentItemsOpenFromTheirMenuEntry)
{
    const auto folder = home.file("Docs");
    doc("Lease.pdf");
    layer->recent().recordRecent({ folder });
    ASSERT_EQ(layer->recent().recentItems().size(), 1u);
    EXPECT_TRUE(run("openRecentItem:", nullptr, 42)); // not a path: nothing
    EXPECT_TRUE(engineRuns.empty());
    EXPECT_TRUE(run("openRecentItem:", nullptr, folder));
    ASSERT_EQ(engineRuns.size(), 1u);
    EXPECT_EQ(engineRuns[0].back(), folder);
    EXPECT_TRUE(run("clearRecent:", nullptr));
    EXPECT_TRUE(layer->recent().recentItems().empty());
}

TEST_F(MenuRowsTest, RestorePreviousVersionPopsUpTheVersionsAndAPickAsks)
{
    const auto document = doc("Lease.pdf");
    const auto snap = testing::writeTestFile(versionRoot() + "/" + ikwStableHash(document) + "/1000-4__Lease.pdf", "old!");
    const auto window = review({ document }, false);
    EXPECT_TRUE(run("restoreVersionMenu:", nullptr)); // not a reader: nothing
    window->isReader = true;
    EXPECT_TRUE(run("restoreVersionMenu:", nullptr));
    for (int round = 0; round < 3; ++round) {
        layer->versions().waitUntilIdle();
        queue.drain();
    }
    const auto& popUps = windowOf(*window).popUps;
    ASSERT_EQ(popUps.size(), 1u);
    EXPECT_EQ(popUps[0].x, 18);
    EXPECT_EQ(popUps[0].y, 8);
    EXPECT_EQ(popUps[0].menu->title, "Restore previous version");
    ASSERT_EQ(popUps[0].menu->items.size(), 1u);
    const auto& entry = popUps[0].menu->items[0];
    EXPECT_EQ(entry.command, "restoreVersionPick:");
    EXPECT_EQ(entry.representedObject, (Json { { "snap", snap }, { "doc", document } }));

    toolkit.fakeDialogs.alertAnswers.push_back({ 1, false }); // "Cancel"
    EXPECT_TRUE(ui::performIfEnabled(entry, popUps[0].responder));
    ASSERT_FALSE(toolkit.fakeDialogs.alerts.empty());
    EXPECT_EQ(toolkit.fakeDialogs.alerts.back().request.message, "Restore this version?");
}

TEST_F(MenuRowsTest, TabsMoveToANewWindowAndMergeBack)
{
    const auto first = review({ doc("a.pdf") }, true);
    const auto second = review({ doc("b.pdf") }, true, first.get());
    auto& frame = windowOf(*first);
    ASSERT_EQ(frame.tabCount(), 2);
    ASSERT_EQ(frame.tab(frame.selectedTab()), second->web);

    EXPECT_TRUE(run("moveTabToNewWindow:", &frame));
    EXPECT_EQ(frame.tabCount(), 1);
    EXPECT_EQ(windowOf(*second).tabCount(), 1);
    EXPECT_NE(&second->window(), &first->window());
    EXPECT_FALSE(enabled("moveTabToNewWindow:", &second->window())); // alone in its window

    // Each window's keys act on its own tab.
    EXPECT_TRUE(run("mergeAllWindows:", &frame));
    EXPECT_EQ(frame.tabCount(), 2);
    EXPECT_EQ(&second->window(), &first->window());
    EXPECT_EQ(frame.tab(frame.selectedTab()), first->web); // the tab the command came from stays shown
    EXPECT_TRUE(toolkit.windows[1]->closed);               // the emptied window went

    EXPECT_TRUE(run("performClose:", &frame));
    EXPECT_TRUE(first->isClosed());
    EXPECT_FALSE(second->isClosed());
    EXPECT_EQ(frame.tabCount(), 1);
}

}
}
