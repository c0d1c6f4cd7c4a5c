#include "services/StatsStore.h"

#include "platform/core/Json.h"
#include "platform/core/fake/FaultyFileSystem.h"
#include "platform/core/fake/ManualMainQueue.h"
#include "services/StatsCatalog.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

namespace ikw::services {
namespace {

constexpr UnixTime start = 1'700'000'000;

// A store on a fake clock: its queue runs only when the test drains or advances it, and the
// wall clock is the queue's clock from `start`.
class StatsStoreTest : public ::testing::Test {
protected:
    StatsStore& store()
    {
        if (!m_store) {
            m_store = std::make_unique<StatsStore>(StatsConfig {
                .folder = m_home.file("data/Inkwarden"),
                .applicationIdentifier = "com.norvale.inkwarden",
                .clock = [this] { return start + m_queue.now(); },
                .fileSystem = &m_fileSystem,
            }, m_queue);
        }
        return *m_store;
    }

    std::string path() const { return m_home.file("data/Inkwarden/usage-stats.json"); }
    Json written() const { return parseJson(ikw::testing::readTestFile(path())).value_or(Json()); }
    long writeCount() const
    {
        const auto calls = m_fileSystem.calls();
        return std::count_if(calls.begin(), calls.end(), [](const std::string& call) { return call.starts_with("replace "); });
    }

    ikw::testing::TempHome m_home;
    ManualMainQueue m_queue;
    FaultyFileSystem m_fileSystem;
    std::unique_ptr<StatsStore> m_store;
};

TEST_F(StatsStoreTest, OneWriteFiveSecondsAfterTheFirstChange)
{
    store().record("doc.open");
    m_queue.advance(1);
    store().record("doc.open");
    m_queue.advance(3.75);
    store().funnel("share", "rendered"); // at 4.75 s: rides along, does not move the write
    EXPECT_EQ(m_queue.pendingTimerCount(), 1u);
    m_queue.advance(0.125);
    EXPECT_EQ(writeCount(), 0);

    m_queue.advance(0.125);
    EXPECT_EQ(writeCount(), 1);
    const Json file = written();
    EXPECT_EQ(file["app"], "inkwarden-mac");
    EXPECT_EQ(file["updated"], start + 5);
    EXPECT_EQ(file["features"]["doc.open"], Json::parse(R"({"n":2,"first":1700000000.0,"last":1700000001.0})"));
    EXPECT_EQ(file["funnels"], Json::parse(R"({"share.rendered":1})"));

    m_queue.advance(60);
    EXPECT_EQ(writeCount(), 1) << "nothing changed, nothing written";
    store().record("doc.print", start + 100);
    m_queue.advance(5);
    EXPECT_EQ(writeCount(), 2);
    EXPECT_EQ(written()["features"]["doc.print"]["first"], start + 100);
}

TEST_F(StatsStoreTest, UnknownIdsAndStepsQueueNothing)
{
    store().record("sync.joinlibrary");
    store().record("multidoc.switch_grid");
    store().funnel("share", "shared");
    store().funnel("sync", "invoked");
    EXPECT_EQ(m_queue.drain(), 0);
    EXPECT_EQ(m_queue.pendingTimerCount(), 0u);
    m_queue.advance(10);
    EXPECT_TRUE(m_fileSystem.calls().empty());
}

TEST_F(StatsStoreTest, SessionsCountLaunchesAndLocalDays)
{
    store().noteSession(start);
    store().noteSession(start + 1);
    store().noteSession(start + 86'400);
    m_queue.advance(5);
    const Json activity = written()["activity"];
    EXPECT_EQ(activity["launches"], 3);
    EXPECT_EQ(activity["days"], Json({ Stats::dayKey(start), Stats::dayKey(start + 86'400) }));
    EXPECT_EQ(written()["features"], Json::object());
}

TEST_F(StatsStoreTest, ReadsTheFileOnceAndReplacesWhatItCouldNotRead)
{
    ikw::testing::writeTestFile(path(), R"({"features":{"doc.open":{"n":5,"first":1,"last":2},"doc.old":{"n":1}},
        "activity":{"launches":9,"days":["2026-01-01"]}})");
    store().record("doc.open");
    m_queue.advance(5);
    EXPECT_EQ(written()["features"], Json::parse(R"({"doc.open":{"n":6,"first":1.0,"last":1700000000.0}})"));

    // Changed behind the store's back: not read again, and overwritten by the next write.
    ikw::testing::writeTestFile(path(), "garbage");
    store().record("doc.open");
    m_queue.advance(5);
    EXPECT_EQ(written()["features"]["doc.open"]["n"], 7);
    EXPECT_EQ(written()["activity"]["launches"], 9);
}

TEST_F(StatsStoreTest, MalformedFileStartsEmpty)
{
    ikw::testing::writeTestFile(path(), R"({"activity":{"launches":40,"days":[]}})");
    store().noteSession();
    m_queue.advance(5);
    EXPECT_EQ(written()["activity"]["launches"], 1);
}

TEST_F(StatsStoreTest, FailedWriteLosesNoCounts)
{
    m_fileSystem.fail(FaultyFileSystem::Operation::Replace);
    store().record("doc.ask");
    m_queue.advance(5);
    EXPECT_FALSE(realFileSystem().exists(path()));

    m_fileSystem.clearFailures();
    store().record("doc.ask");
    m_queue.advance(5);
    EXPECT_EQ(written()["features"]["doc.ask"]["n"], 2);
}

TEST_F(StatsStoreTest, CountsFromManyThreads)
{
    StatsStore& stats = store();
    std::atomic<int> running = 8;
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 1000; ++i)
                stats.record("doc.print");
            --running;
        });
    }
    // Run the store's tasks while the threads are still posting.
    while (running > 0)
        m_queue.drain();
    for (auto& thread : threads)
        thread.join();
    m_queue.advance(5);
    EXPECT_EQ(written()["features"]["doc.print"]["n"], 8000);
    EXPECT_EQ(writeCount(), 1);
}

TEST(StatsStore, OwnQueueWritesAfterTheInterval)
{
    ikw::testing::TempHome home;
    const std::string folder = home.file("stats");
    {
        StatsStore store({ .folder = folder, .applicationIdentifier = "com.acme.tool", .clock = currentUnixTime, .flushInterval = 0.01 });
        store.record("doc.open");
        for (int i = 0; i < 500 && !realFileSystem().exists(store.path()); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    const Json file = parseJson(ikw::testing::readTestFile(folder + "/usage-stats.json")).value_or(Json());
    EXPECT_EQ(file["app"], "tool-mac");
    EXPECT_EQ(file["features"]["doc.open"]["n"], 1);
}

}
}
