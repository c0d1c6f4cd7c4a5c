#include "review/ReviewTestFixture.h"

#include <gmock/gmock.h>

#include <glib.h>

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
        EXPECT_EQ(window->reader.pollTimer.isScheduled(), on) << config;
        auto review = windows.open(home.file("reviews/review.html"));
        review->hasContent = true;
        review->sourcePaths = { home.file("Matter") };
        review->startWatching();
        EXPECT_EQ(review->watch.watcher != nullptr, on) << config;
    }
}

TEST_F(ReaderChanges, OnlyTheFoldersOfAReviewAreWatched)
{
    auto reader = openReader();
    reader->hasContent = true;
    viewOf(*reader).finishLoading();
    EXPECT_EQ(reader->watch.watcher, nullptr); // its own file is polled; its folder is not watched
    reader->startWatching();
    EXPECT_EQ(reader->watch.watcher, nullptr);

    const auto other = testing::writeTestFile(home.file("Other/b.pdf"), "b");
    auto review = windows.open(home.file("reviews/review.html"));
    review->hasContent = true;
    review->sourcePaths = { document, other }; // a review of two files: no folder of its own
    review->startWatching();
    EXPECT_EQ(review->watch.watcher, nullptr);
    review->sourcePaths = { home.file("Matter"), other };
    review->startWatching();
    EXPECT_NE(review->watch.watcher, nullptr);
}

TEST_F(ReaderChanges, AFileAddedBesideTheDocumentDoesNotReloadTheReader)
{
    auto window = openReader();
    window->hasContent = true;
    viewOf(*window).finishLoading();
    testing::writeTestFile(home.file("Matter/unrelated.txt"), "new");
    // File events arrive on the GLib loop; the debounce runs on the test's clock.
    for (int turn = 0; turn < 40; ++turn) {
        while (g_main_context_iteration(nullptr, FALSE)) { }
        g_usleep(5000);
    }
    queue.advance(400); // beyond the watcher's debounce and ceiling
    EXPECT_EQ(reloads, 0);
    EXPECT_TRUE(snapshots.empty());
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
