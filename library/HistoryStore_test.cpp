#include "library/HistoryStore.h"

#include "app/Globals.h"

#include "platform/core/fake/FaultyFileSystem.h"
#include "platform/core/fake/ManualMainQueue.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

namespace ikw::library {
namespace {

class HistoryStoreTest : public ::testing::Test {
protected:
    testing::TempHome home;
    ScopedGlobals globals { Globals::build(Paths::fromEnvironment()) };
    ManualMainQueue delays;
    FaultyFileSystem files;
    double now = 1000;
    std::unique_ptr<HistoryStore> store = make();

    std::unique_ptr<HistoryStore> make()
    {
        return std::make_unique<HistoryStore>(
            HistoryConfig { .home = home.file("support"), .flushInterval = 0.05, .fileSystem = &files, .clock = [this] { return now; } }, delays);
    }
    // The delayed write runs on the store's queue once the fake clock has passed it.
    void passFlushInterval()
    {
        store->count(); // the recordings have run and asked for their write
        delays.advance(0.05);
        delays.drain();
        store->count(); // waits for the queue
    }
    Json written() const { return parseJson(testing::readTestFile(store->path())).value_or(Json()); }
    int historyWrites() const
    {
        const auto calls = files.calls();
        return static_cast<int>(std::count_if(calls.begin(), calls.end(), [](const std::string& call) {
            return call.find("replace") == 0 && call.find("history.json") != std::string::npos;
        }));
    }
    std::string file(const std::string& name) { return testing::writeTestFile(home.file("docs/" + name), "12345"); }
};

TEST_F(HistoryStoreTest, RecordingsOfOnePathMakeOneRowAndOneWrite)
{
    const auto lease = file("Lease.PDF");
    store->record(lease, false, "open", 10);
    store->record(home.file("docs/./x/../Lease.PDF"), false, "open", 20);
    store->record(lease, false, "recent", 30);
    store->record("", false, "open", 40);
    EXPECT_EQ(historyWrites(), 0);
    passFlushInterval();

    EXPECT_EQ(historyWrites(), 1);
    const auto rows = store->all();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0], (HistoryRow { .path = lease, .name = "Lease.PDF", .ext = "pdf", .isDir = false, .size = 5,
                           .folder = home.file("docs"), .mode = "recent", .first = 10, .last = 30, .count = 3 }));
    EXPECT_EQ(written()["rows"][0]["n"], 3);
    EXPECT_EQ(written()["v"], 1);

    // A file whose size can no longer be read keeps the size it had.
    ::unlink(lease.c_str());
    store->record(lease, false, "open", 50);
    EXPECT_EQ(store->all()[0].size, 5);
}

TEST_F(HistoryStoreTest, TheNewestRowsStayWithinTheCap)
{
    for (std::size_t index = 0; index <= HistoryStore::hardCap; ++index)
        store->record("/docs/" + std::to_string(index) + ".pdf", false, "open", static_cast<double>(index));
    store->flushNow();
    EXPECT_EQ(store->count(), HistoryStore::hardCap);
    EXPECT_EQ(written()["trimmed"], 1);
    EXPECT_EQ(written()["rows"].size(), HistoryStore::hardCap);
    EXPECT_EQ(store->all().back().path, "/docs/1.pdf"); // "/docs/0.pdf", the oldest, went
}

TEST_F(HistoryStoreTest, LoadsWhatItCanAndKeepsAnUnreadableFileAside)
{
    testing::writeTestFile(home.file("support/history.json"),
        R"({"v":1,"trimmed":4,"rows":[{"path":"/a.pdf","last":5},{"name":"no path"},{"path":"/b","dir":true,"n":7,"last":9}]})");
    store = make();
    const auto rows = store->all();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].path, "/b");
    EXPECT_EQ(rows[0].count, 7);
    EXPECT_EQ(rows[1].count, 1);
    EXPECT_EQ(rows[1].ext, "pdf");

    testing::writeTestFile(home.file("support/history.json"), "{not json");
    store = make();
    EXPECT_EQ(store->count(), 0u);
    store->record("/c.pdf", false, "open", 1);
    store->flushNow();
    EXPECT_EQ(testing::readTestFile(home.file("support/history.json.bad")), "{not json");
    EXPECT_EQ(written()["rows"].size(), 1u);
}

TEST_F(HistoryStoreTest, AFailedWriteLeavesTheFileWholeAndTriesAgain)
{
    store->record("/a.pdf", false, "open", 1);
    store->flushNow();
    files.fail(FaultyFileSystem::Operation::Replace, "history.json");
    store->record("/b.pdf", false, "open", 2);
    store->flushNow();
    EXPECT_EQ(written()["rows"].size(), 1u);
    files.clearFailures();
    store->flushNow(); // the rows stayed pending
    EXPECT_EQ(written()["rows"].size(), 2u);
}

TEST_F(HistoryStoreTest, FavouritesAndPinsAreWrittenAtOnce)
{
    const auto lease = file("Lease.pdf");
    EXPECT_TRUE(store->toggleFavorite(lease));
    EXPECT_EQ(testing::readTestFile(store->favPath()), "[\"" + lease + "\"]");
    EXPECT_FALSE(store->toggleFavorite(lease));
    EXPECT_EQ(testing::readTestFile(store->favPath()), "[]");

    EXPECT_TRUE(store->togglePinned("/z"));
    EXPECT_TRUE(store->clearPins().empty());
    EXPECT_EQ(testing::readTestFile(store->pinPath()), "[]");
    EXPECT_FALSE(store->setFavorite("", true));
}

TEST_F(HistoryStoreTest, PageDataListsMarkedPathsWithoutRows)
{
    const auto lease = file("Lease.pdf");
    store->record(lease, false, "open", 10);
    store->setFavorite(lease, true);
    store->setPinned("/gone/Old.PDF", true);

    auto page = parseJson(store->json(0)).value();
    EXPECT_EQ(page["total"], 1);
    ASSERT_EQ(page["rows"].size(), 2u);
    for (const auto& row : page["rows"]) {
        EXPECT_EQ(row["first"], 0);
        EXPECT_EQ(row["n"], 0);
    }
    EXPECT_EQ(page["rows"][0]["path"], "/gone/Old.PDF");
    EXPECT_EQ(page["rows"][0]["gone"], true);
    EXPECT_EQ(page["rows"][0]["pin"], true);
    EXPECT_EQ(page["rows"][0]["ext"], "pdf");

    // Forgetting a favourite removes its row, not its mark.
    store->forget(lease);
    page = parseJson(store->json()).value();
    EXPECT_EQ(page["total"], 0);
    ASSERT_EQ(page["rows"].size(), 2u);
    EXPECT_EQ(page["rows"][1]["path"], lease);
    EXPECT_EQ(page["rows"][1]["fav"], true);
    EXPECT_EQ(page["rows"][1]["gone"], false);

    store->record("/x</script>\u2028.pdf", false, "open", 11);
    const auto text = store->json();
    EXPECT_EQ(text.find("</script>"), std::string::npos);
    EXPECT_NE(text.find("x\\u003c/script\\u003e\\u2028.pdf"), std::string::npos);
}

TEST_F(HistoryStoreTest, RecentItemsFillOnlyAnEmptyStore)
{
    store->migrateRecentsIfNeeded({ { "/r/a.pdf", false, 5 }, { "/r/folder", true, 6 } });
    auto rows = store->all();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].mode, "recent");
    EXPECT_TRUE(rows[0].isDir);
    EXPECT_EQ(rows[1].first, 5);

    store->migrateRecentsIfNeeded({ { "/r/b.pdf", false, 7 } });
    EXPECT_EQ(store->count(), 2u);
}

TEST_F(HistoryStoreTest, PathsThatAreNoUtf8AreNotRecorded)
{
    // They could never be written: every later write of the history would fail.
    store->record("/docs/\xff.pdf", false, "open", 1);
    store->record("/docs/a.pdf", false, "open", 2);
    store->flushNow();
    EXPECT_EQ(written()["rows"].size(), 1u);
}

}
}
