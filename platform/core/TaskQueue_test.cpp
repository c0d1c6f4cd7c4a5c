#include "platform/core/fake/ManualMainQueue.h"
#include "platform/core/WorkQueue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <set>
#include <thread>
#include <string>
#include <vector>

namespace ikw {
namespace {

TEST(ManualMainQueue, FiresTimersInTimeOrderThenSchedulingOrder)
{
    ManualMainQueue queue;
    std::vector<std::string> fired;
    Timer late = queue.schedule(1.6, false, [&] { fired.push_back("1.6"); });
    Timer early = queue.schedule(0.35, false, [&] { fired.push_back("0.35"); });
    Timer tieA = queue.schedule(1.0, false, [&] { fired.push_back("1.0a"); });
    Timer tieB = queue.schedule(1.0, false, [&] { fired.push_back("1.0b"); });
    queue.post([&] { fired.push_back("posted"); });

    queue.advance(0.3);
    EXPECT_EQ(fired, (std::vector<std::string> { "posted" }));
    queue.advance(2.0);
    EXPECT_EQ(fired, (std::vector<std::string> { "posted", "0.35", "1.0a", "1.0b", "1.6" }));
    EXPECT_DOUBLE_EQ(queue.now(), 2.3);
}

TEST(ManualMainQueue, TaskPostedByATimerRunsBeforeTheNextTimer)
{
    ManualMainQueue queue;
    std::vector<std::string> fired;
    Timer first = queue.schedule(1, false, [&] { queue.post([&] { fired.push_back("posted by first"); }); fired.push_back("first"); });
    Timer second = queue.schedule(2, false, [&] { fired.push_back("second"); });
    queue.advance(5);
    EXPECT_EQ(fired, (std::vector<std::string> { "first", "posted by first", "second" }));
}

TEST(ManualMainQueue, RepeatingTimerFiresEveryIntervalUntilCancelled)
{
    ManualMainQueue queue;
    std::vector<double> times;
    Timer timer = queue.schedule(2.5, true, [&] { times.push_back(queue.now()); });
    queue.advance(10);
    EXPECT_EQ(times, (std::vector<double> { 2.5, 5.0, 7.5, 10.0 }));
    timer.cancel();
    queue.advance(10);
    EXPECT_EQ(times.size(), 4u);
    EXPECT_EQ(queue.pendingTimerCount(), 0u);
}

TEST(ManualMainQueue, DestroyingTheHandleCancelsAndATimerMayCancelItself)
{
    ManualMainQueue queue;
    int count = 0;
    {
        Timer dropped = queue.schedule(1, false, [&] { ++count; });
    }
    Timer self;
    self = queue.schedule(1, true, [&] { ++count; self.cancel(); });
    queue.advance(5);
    EXPECT_EQ(count, 1);
}

TEST(ManualMainQueue, RunUntilWaitsForWorkPostedFromOtherThreads)
{
    ManualMainQueue queue;
    WorkQueue worker("test");
    std::atomic<int> done { 0 };
    for (int i = 0; i < 3; ++i)
        worker.post([&] { queue.post([&] { ++done; }); });
    EXPECT_TRUE(queue.runUntil([&] { return done == 3; }));
}

TEST(WorkQueue, SerialQueueKeepsOrderAndConcurrentQueueRunsSideBySide)
{
    std::vector<int> order;
    {
        auto serial = makeSerialQueue("serial");
        for (int i = 0; i < 100; ++i)
            serial->post([&order, i] { order.push_back(i); });
        serial->waitUntilIdle();
    }
    ASSERT_EQ(order.size(), 100u);
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(order[i], i);

    // Two tasks that each wait for the other can only finish when they run at the same time.
    auto concurrent = makeConcurrentQueue("concurrent");
    std::atomic<int> arrived { 0 };
    std::atomic<int> finished { 0 };
    for (int i = 0; i < 2; ++i) {
        concurrent->post([&] {
            ++arrived;
            while (arrived < 2) { }
            ++finished;
        });
    }
    concurrent->waitUntilIdle();
    EXPECT_EQ(finished, 2);
}

TEST(WorkQueue, DelayedTaskRunsAfterItsDelay)
{
    WorkQueue queue("delayed");
    const auto start = std::chrono::steady_clock::now();
    std::atomic<bool> ran { false };
    std::chrono::steady_clock::time_point at;
    queue.postAfter(0.2, [&] { at = std::chrono::steady_clock::now(); ran = true; });
    while (!ran)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_GE(std::chrono::duration<double>(at - start).count(), 0.19);
}

TEST(WorkQueue, StartsWorkersOnlyAsTheWorkNeedsThem)
{
    WorkQueue queue("lazy", 4);
    std::mutex lock;
    std::set<std::thread::id> threads;
    const auto noteThread = [&] {
        std::lock_guard guard(lock);
        threads.insert(std::this_thread::get_id());
    };
    // One task at a time never needs a second worker.
    for (int i = 0; i < 5; ++i) {
        queue.post(noteThread);
        queue.waitUntilIdle();
    }
    EXPECT_EQ(threads.size(), 1u);

    // Six tasks that all wait for four of them to arrive need every worker, and no more.
    std::atomic<int> arrived { 0 };
    std::atomic<int> finished { 0 };
    for (int i = 0; i < 6; ++i) {
        queue.post([&] {
            noteThread();
            ++arrived;
            while (arrived < 4) { }
            ++finished;
        });
    }
    queue.waitUntilIdle();
    EXPECT_EQ(finished, 6);
    EXPECT_EQ(threads.size(), 4u);

    // A delayed task that comes due while the only busy worker is taken gets a worker of its own.
    WorkQueue pair("pair", 2);
    std::atomic<bool> release { false };
    std::atomic<bool> delayedRan { false };
    pair.post([&] { while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(1)); });
    pair.postAfter(0.05, [&] { delayedRan = true; });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!delayedRan && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_TRUE(delayedRan);
    release = true;
}

}
}
