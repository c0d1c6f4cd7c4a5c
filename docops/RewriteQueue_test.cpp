#include "docops/RewriteQueue.h"

#include "platform/core/WorkQueue.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>

namespace ikw::docops {
namespace {

// A gate a background task waits at until the test opens it.
class Latch {
public:
    void open()
    {
        const std::lock_guard lock(m_mutex);
        m_open = true;
        m_changed.notify_all();
    }
    void wait()
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_open; });
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_open = false;
};

TEST(RewriteQueueTest, OneFileAtATimeWhateverItsSpellingOtherFilesAlongside)
{
    ikw::testing::TempHome home;
    const std::string a = ikw::testing::writeTestFile(home.file("docs/a.pdf"), "a");
    const std::string b = ikw::testing::writeTestFile(home.file("docs/b.pdf"), "b");
    WorkQueue workers("rewrite-queue-test", 3);
    RewriteQueue queue(workers);

    Latch firstMayFinish, otherFileDone;
    std::mutex mutex;
    std::vector<std::string> order;
    auto record = [&](const char* step) {
        const std::lock_guard lock(mutex);
        order.push_back(step);
    };
    queue.submit(a, [&] {
        record("a1 start");
        firstMayFinish.wait();
        record("a1 end");
    });
    queue.submit(home.file("docs/../docs/a.pdf"), [&] { record("a2"); });
    queue.submit(b, [&] {
        record("b");
        otherFileDone.open();
    });
    otherFileDone.wait(); // b ran although a's first rewrite is still waiting
    firstMayFinish.open();
    workers.waitUntilIdle();

    const auto position = [&](const std::string& step) { return std::find(order.begin(), order.end(), step) - order.begin(); };
    ASSERT_EQ(order.size(), 4u);
    EXPECT_LT(position("a1 end"), position("a2"));
    EXPECT_LT(position("b"), position("a1 end"));
}

}
}
