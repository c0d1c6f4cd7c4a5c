#include "library/ClosedTabs.h"

#include "library/LibraryLayer.h"
#include "platform/core/fake/FaultyFileSystem.h"
#include "review/ReviewActions.h"
#include "review/ReviewTestFixture.h"
#include "review/ReviewWC.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>

namespace ikw::library {
namespace {

class ClosedTabsTest : public testing::ReviewFixture {
protected:
    std::string file(const std::string& name) { return testing::writeTestFile(home.file("Docs/" + name), "%PDF-1.4\n"); }
    std::string folder(const std::string& name)
    {
        std::filesystem::create_directories(home.file(name));
        return home.file(name);
    }
    // A content window over `sources`, shaped by `kind`, titled `title`, closed as the user would.
    void closeWindow(std::vector<std::string> sources, const std::function<void(ReviewWC&)>& kind = {}, std::optional<std::string> title = {})
    {
        auto window = windows.open(std::nullopt);
        window->hasContent = true;
        window->sourcePaths = std::move(sources);
        if (kind)
            kind(*window);
        if (title)
            window->window().setTabTitle(*window->web, *title);
        window->window().requestClose();
        ASSERT_TRUE(window->isClosed());
    }
    ClosedTabs& tabs() { return layer->closedTabs(); }
    std::vector<std::string> titles()
    {
        std::vector<std::string> all;
        for (const auto& tab : tabs().closedTabs())
            all.push_back(tab.title);
        return all;
    }
    Json fileList() { return parseJson(testing::readTestFile(closedTabsPath())).value_or(Json()); }
    bool fileExists() { return std::filesystem::exists(closedTabsPath()); }

    std::vector<std::string> usage;
    std::shared_ptr<LibraryLayer> layer = std::make_shared<LibraryLayer>(services, windows,
        LibraryHooks { .recordUsage = [this](const std::string& feature) { usage.push_back(feature); }, .temporaryRoots = [] { return std::vector<std::string> {}; } });
};

TEST_F(ClosedTabsTest, OnlyContentWindowsWithExistingFilesAreRemembered)
{
    const auto lease = file("Lease.pdf");
    const auto gone = file("Gone.pdf");
    const std::pair<const char*, std::function<void(ReviewWC&)>> skipped[] {
        { "organize", [](ReviewWC& w) { w.isOrganize = true; } },
        { "redact", [](ReviewWC& w) { w.isRedact = true; } },
        { "bates", [](ReviewWC& w) { w.isBates = true; } },
        { "campaign", [](ReviewWC& w) { w.isCampaign = true; } },
        { "timeline", [](ReviewWC& w) { w.timeline.isTimeline = true; } },
        { "welcome", [](ReviewWC& w) { w.hasContent = false; } },
    };
    for (const auto& [name, kind] : skipped) {
        closeWindow({ lease }, kind);
        EXPECT_TRUE(tabs().closedTabs().empty()) << name;
    }
    {
        auto reader = windows.open(std::nullopt);
        reader->hasContent = reader->isReader = true;
        reader->sourcePaths = { gone };
        std::filesystem::remove(gone); // deleted while open
        reader->window().requestClose();
        EXPECT_TRUE(tabs().closedTabs().empty()) << "reader of a deleted file";
    }
    EXPECT_FALSE(fileExists());

    // Three folders, one missing path dropped, an empty tab title: the title is made from the count.
    closeWindow({ folder("A"), home.file("missing"), folder("B"), folder("C") }, {}, "");
    ASSERT_EQ(tabs().closedTabs().size(), 1u);
    EXPECT_EQ(tabs().closedTabs().back(), (ClosedTab { "review", { home.file("A"), home.file("B"), home.file("C") }, std::nullopt, std::nullopt, "3 Items" }));
    closeWindow({ lease }, [](ReviewWC& w) { w.isGrid = true; }, "");
    EXPECT_EQ(tabs().closedTabs().back().title, "Lease.pdf");
    EXPECT_EQ(tabs().closedTabs().back().kind, "grid");
}

TEST_F(ClosedTabsTest, ATabOfASharedWindowKeepsItsOwnTitleAndAReaderItsView)
{
    const auto lease = file("Lease.pdf");
    const auto brief = file("Brief.pdf");
    auto host = windows.open(std::nullopt);
    host->hasContent = true;
    host->sourcePaths = { lease };
    host->window().setTabTitle(*host->web, "Lease");
    auto reader = windows.open(std::nullopt, host.get());
    reader->hasContent = reader->isReader = true;
    reader->sourcePaths = { brief };
    reader->window().setTabTitle(*reader->web, "Brief");
    reader->window().setTitle("Brief");
    viewOf(*reader).nextResult = ui::ScriptResult { Json("{\"page\":4}"), std::nullopt };
    reader->closeTab();
    ASSERT_TRUE(reader->isClosed());
    EXPECT_EQ(tabs().closedTabs().back(), (ClosedTab { "reader", { brief }, "{\"page\":4}", std::nullopt, "Brief" }));

    host->reviewMode = "flip";
    host->window().requestClose();
    EXPECT_EQ(tabs().closedTabs().back(), (ClosedTab { "review", { lease }, std::nullopt, "flip", "Lease" }));
    // "view" and "mode" appear only where present.
    EXPECT_EQ(fileList(), Json::parse(R"([{"kind":"reader","paths":[")" + brief + R"("],"title":"Brief","view":"{\"page\":4}"},)"
                                      R"({"kind":"review","mode":"flip","paths":[")" + lease + R"("],"title":"Lease"}])"));
}

TEST_F(ClosedTabsTest, TheListAndItsCompactFileHoldTheTwentyNewestOldestFirst)
{
    for (int index = 1; index <= 21; ++index)
        closeWindow({ file(std::to_string(index) + ".pdf") }, {}, "Tab " + std::to_string(index));
    ASSERT_EQ(tabs().closedTabs().size(), kClosedTabDepth);
    EXPECT_EQ(titles().front(), "Tab 2");
    EXPECT_EQ(titles().back(), "Tab 21");
    const std::string text = testing::readTestFile(closedTabsPath());
    for (const char* loose : { "\n", ": ", ", ", "[ ", "{ " })
        EXPECT_EQ(text.find(loose), std::string::npos) << "compact, no " << loose;
    const Json list = fileList();
    ASSERT_EQ(list.size(), kClosedTabDepth);
    EXPECT_EQ(list.front()["title"], "Tab 2");
    EXPECT_EQ(list.back()["title"], "Tab 21");
}

TEST_F(ClosedTabsTest, LoadingSkipsBadEntriesOneByOneAndNeverRewritesTheFile)
{
    const auto lease = file("Lease.pdf");
    Json list = Json::array();
    const auto entry = [&](const std::string& title) { return Json { { "kind", "reader" }, { "paths", { lease } }, { "title", title } }; };
    for (int index = 1; index <= 21; ++index)
        list.push_back(entry("ok " + std::to_string(index)));
    list.push_back(Json { { "kind", "reader" }, { "paths", { lease, "" } }, { "title", "empty path" } });
    list.push_back(Json { { "kind", "timeline" }, { "paths", { lease } }, { "title", "timeline" } });
    list.push_back(Json { { "kind", "reader" }, { "paths", { lease } } });
    list.push_back(Json { { "kind", "grid" }, { "paths", Json::array() }, { "title", "no paths" } });
    list.push_back(Json { { "kind", "grid" }, { "paths", lease }, { "title", "paths a string" } });
    list.push_back(Json { { "kind", "review" }, { "paths", { lease, home.file("Docs/gone.pdf") } }, { "title", "gone" } });
    list.push_back(42);
    list.push_back(Json { { "kind", "review" }, { "paths", { lease } }, { "title", "last" }, { "view", 7 }, { "mode", "flip" } });
    const std::string text = toPlainJson(list);
    testing::writeTestFile(closedTabsPath(), text);

    tabs().loadClosedTabs();
    ASSERT_EQ(tabs().closedTabs().size(), kClosedTabDepth);
    EXPECT_EQ(titles().front(), "ok 3");
    EXPECT_EQ(tabs().closedTabs().back(), (ClosedTab { "review", { lease }, std::nullopt, "flip", "last" }));
    EXPECT_EQ(testing::readTestFile(closedTabsPath()), text);

    for (const char* damaged : { "{\"kind\":\"reader\"}", "[{\"kind\":", "" }) {
        ClosedTabs fresh(layer->openers(), realFileSystem(), testing::writeTestFile(home.file("other.json"), damaged), {});
        fresh.loadClosedTabs();
        EXPECT_TRUE(fresh.closedTabs().empty()) << damaged;
    }
}

TEST_F(ClosedTabsTest, WithTheSettingOffOnlyTheFileGoes)
{
    const auto lease = file("Lease.pdf");
    closeWindow({ lease }, {}, "Lease");
    ASSERT_TRUE(fileExists());
    writeConfig(R"({"remember_closed_tabs": false})");
    closeWindow({ lease }, {}, "Again");
    EXPECT_FALSE(fileExists());
    EXPECT_EQ(titles(), (std::vector<std::string> { "Lease", "Again" }));
    tabs().reopenClosedTab();
    EXPECT_EQ(engineRuns.size(), 1u);
    EXPECT_EQ(titles(), std::vector<std::string> { "Lease" });
    EXPECT_FALSE(fileExists());

    // A relaunch does not read a file left behind.
    testing::writeTestFile(closedTabsPath(), R"([{"kind":"reader","paths":[")" + lease + R"("],"title":"Stale"}])");
    ClosedTabs relaunched(layer->openers(), realFileSystem(), closedTabsPath(), {});
    relaunched.loadClosedTabs();
    EXPECT_TRUE(relaunched.closedTabs().empty());

    // Anything but the JSON false counts as on, and saving writes the list there is.
    for (const char* value : { "true", "\"0\"", "null" }) {
        writeConfig(std::string(R"({"remember_closed_tabs": )") + value + "}");
        EXPECT_TRUE(tabs().rememberClosedTabs()) << value;
    }
    std::filesystem::remove(closedTabsPath());
    tabs().saveClosedTabs();
    EXPECT_EQ(fileList().size(), 1u);
}

TEST_F(ClosedTabsTest, ReopeningSkipsStaleEntriesAndBringsBackViewAndMode)
{
    UrlActions actions;
    registerActions(actions, ReviewActionParts {});
    const auto brief = file("Brief.pdf");
    const auto gone = file("Gone.pdf");
    testing::writeTestFile(closedTabsPath(), toPlainJson(Json::array({
        Json { { "kind", "review" }, { "paths", { home.file("Docs") } }, { "title", "Docs" }, { "mode", "flip" } },
        Json { { "kind", "reader" }, { "paths", { brief } }, { "title", "Brief" }, { "view", "{\"page\":9}" } },
        Json { { "kind", "reader" }, { "paths", { gone } }, { "title", "Gone" } },
    })));
    tabs().loadClosedTabs();
    std::filesystem::remove(gone);

    tabs().reopenClosedTab();
    ASSERT_EQ(titles(), std::vector<std::string> { "Docs" });
    EXPECT_EQ(fileList().size(), 1u) << "the stale and the reopened entries left the file";
    const auto reader = windows.windows().back();
    EXPECT_TRUE(reader->isReader);
    EXPECT_EQ(reader->sourcePaths, std::vector<std::string> { brief });
    actions.dispatch("viewready", UrlAction { *reader, "qeliz://viewready" });
    const auto& scripts = viewOf(*reader).evaluated;
    EXPECT_NE(std::find(scripts.begin(), scripts.end(), R"(if(window.__ikwRestoreView){try{__ikwRestoreView("{\"page\":9}")}catch(e){}})"), scripts.end());

    tabs().reopenClosedTab();
    ASSERT_EQ(engineRuns.size(), 1u);
    EXPECT_NE(std::find(engineRuns[0].begin(), engineRuns[0].end(), "flip"), engineRuns[0].end());
    EXPECT_EQ(engineRuns[0].back(), home.file("Docs"));
    EXPECT_EQ(fileList(), Json::array());

    EXPECT_EQ(toolkit.beeps, 0);
    tabs().reopenClosedTab();
    EXPECT_EQ(toolkit.beeps, 1);
    EXPECT_EQ(usage, (std::vector<std::string> { "tab.reopen", "tab.reopen", "tab.reopen_empty" }));
}

// Opens nothing; records what it was asked to open.
class RecordingOpeners final : public Openers {
public:
    void openReader(const std::string& path, const ReaderOpening&) override { opened.push_back("reader " + path); }
    void openGrid(const std::string& path) override { opened.push_back("grid " + path); }
    void openInDefaultApp(const std::string&) override {}
    void openReviewDirect(const std::vector<std::string>& paths, const std::optional<std::string>&) override { opened.push_back("review " + paths.front()); }
    void openInBrowser(const std::string&) override {}
    void recordRecent(const std::vector<std::string>&) override {}
    void handleFinderExtensionURL(const std::string&) override {}
    void noteDidOpen() override {}
    void activate() override {}
    std::vector<std::string> opened;
};

TEST_F(ClosedTabsTest, AFailedWriteKeepsTheListInMemory)
{
    const auto lease = file("Lease.pdf");
    FaultyFileSystem files;
    files.fail(FaultyFileSystem::Operation::Replace);
    files.fail(FaultyFileSystem::Operation::CreateDirectories);
    RecordingOpeners openers;
    ClosedTabs list(openers, files, home.file("no/such/folder/closed-tabs.json"), {});
    auto window = windows.open(std::nullopt);
    window->hasContent = true;
    window->isGrid = true;
    window->sourcePaths = { lease };
    list.recordClosedTab(*window);
    EXPECT_EQ(list.closedTabs().size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(home.file("no/such/folder/closed-tabs.json")));

    // Once writing works again, the missing folder is made.
    files.clearFailures();
    list.recordClosedTab(*window);
    EXPECT_EQ(parseJson(testing::readTestFile(home.file("no/such/folder/closed-tabs.json")))->size(), 2u);
    list.reopenClosedTab();
    EXPECT_EQ(openers.opened, std::vector<std::string> { "grid " + lease });
}

}
}
