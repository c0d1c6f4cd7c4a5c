#include "review/ReviewTestFixture.h"

#include <gmock/gmock.h>

#include <filesystem>

namespace ikw {
namespace {

using testing::ReviewFixture;

class ReaderChanges : public ReviewFixture {
protected:
    ReaderChanges()
    {
        services.features.reloadReaderInPlace = [this](ReviewWC&) { ++reloads; };
        services.features.snapshotVersionFile = [this](const std::string& path) { snapshots.push_back(path); };
    }

    std::shared_ptr<ReviewWC> openReader()
    {
        auto window = windows.open(home.file("reviews/reader.html"));
        window->isReader = true;
        window->sourcePaths = { document };
        window->stampLoadedFile(document);
        viewOf(*window).nextResult = ui::ScriptResult { Json("{\"page\":7}"), std::nullopt };
        viewOf(*window).finishLoading();
        return window;
    }

    // Moves the file's modification time well away from its stamp without changing its size.
    void touchLater()
    {
        namespace fs = std::filesystem;
        fs::last_write_time(document, fs::last_write_time(document) + std::chrono::seconds(5));
    }

    std::string document = testing::writeTestFile(home.file("Matter/brief.pdf"), "first");
    int reloads = 0;
    std::vector<std::string> snapshots;
};

TEST_F(ReaderChanges, AnOutsideChangeReloadsOnceAfterTheStabilityCheck)
{
    auto window = openReader();
    queue.advance(2.5);
    EXPECT_EQ(reloads, 0); // nothing changed yet
    touchLater();
    queue.advance(2.5);
    EXPECT_EQ(reloads, 0); // the second size read is still pending
    queue.advance(0.5);
    EXPECT_EQ(reloads, 1);
    EXPECT_EQ(snapshots, std::vector<std::string> { document });
    EXPECT_EQ(window->reader.pendingViewRestore, "{\"page\":7}");
    EXPECT_EQ(viewOf(*window).evaluated.back().rfind("(function(){var p=document.getElementById('__upd')", 0), 0u);
    queue.advance(30); // the poll stopped; the reloaded page starts it again
    EXPECT_EQ(reloads, 1);
}

TEST_F(ReaderChanges, OwnWritesFollowedByAStampAreNoChange)
{
    auto window = openReader();
    testing::writeTestFile(document, "written by us");
    window->stampLoadedFile(document);
    queue.advance(10);
    EXPECT_EQ(reloads, 0);
}

TEST_F(ReaderChanges, AutoRefreshOffStopsPollAndWatcher)
{
    const std::pair<const char*, bool> cases[] = {
        { R"({"auto_refresh": false})", false },
        { R"({"auto_refresh": "false"})", true },
        { R"({})", true },
    };
    for (const auto& [config, on] : cases) {
        writeConfig(config);
        auto window = openReader();
        window->hasContent = true;
        window->startWatching();
        EXPECT_EQ(window->reader.pollTimer.isScheduled(), on) << config;
        EXPECT_EQ(window->watch.watcher != nullptr, on) << config;
    }
}

TEST_F(ReaderChanges, OverwritingANewerFileAsksFirst)
{
    auto window = openReader();
    std::vector<bool> answers;
    auto record = [&](bool ok) { answers.push_back(ok); };
    window->okToOverwriteInPlace(document, record);
    EXPECT_TRUE(toolkit.fakeDialogs.alerts.empty());

    touchLater();
    toolkit.fakeDialogs.alertAnswers = { ui::AlertAnswer { 0, false }, ui::AlertAnswer { 1, false } };
    window->okToOverwriteInPlace(document, record); // Cancel: the stamp stays
    window->okToOverwriteInPlace(document, record); // Overwrite: stamped again
    window->okToOverwriteInPlace(document, record); // no second question
    EXPECT_EQ(answers, (std::vector<bool> { true, false, true, true }));
    ASSERT_EQ(toolkit.fakeDialogs.alerts.size(), 2u);
    const auto& spec = toolkit.fakeDialogs.alerts.front().request;
    EXPECT_EQ(spec.message, "Saving would replace a newer \u201Cbrief.pdf\u201D");
    EXPECT_EQ(spec.buttons, (std::vector<std::string> { "Cancel", "Overwrite \u201Cbrief.pdf\u201D" }));
}

}
}
