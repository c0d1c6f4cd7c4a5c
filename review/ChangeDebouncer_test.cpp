#include "review/ChangeDebouncer.h"

#include "platform/core/fake/ManualMainQueue.h"

#include <gtest/gtest.h>

namespace ikw {
namespace {

struct Recorder {
    ManualMainQueue queue;
    std::vector<double> refreshes;
    ChangeDebouncer debouncer { [this] { refreshes.push_back(queue.now()); } };

    // Signals a change at each of `times` (seconds from now), then lets the clock run to `until`.
    void changesAt(const std::vector<double>& times, double until)
    {
        for (double time : times) {
            queue.advance(time - queue.now());
            debouncer.changed();
        }
        queue.advance(until - queue.now());
    }
};

TEST(ChangeDebouncer, RefreshesAfterAQuietSpellOrAtTheCeiling)
{
    struct Case {
        const char* what;
        std::vector<double> changes;
        std::vector<double> refreshes;
    };
    std::vector<double> every30s;
    for (double t = 0; t <= 600; t += 30)
        every30s.push_back(t);
    const Case cases[] = {
        { "one change", { 10 }, { 100 } },
        { "a burst that pauses", { 0, 50, 89 }, { 179 } },
        { "changes every 30 s from 0 to 600 s", every30s, { 300, 690 } },
        { "two bursts apart", { 0, 200 }, { 90, 290 } },
    };
    for (const auto& c : cases) {
        Recorder recorder;
        recorder.changesAt(c.changes, 2000);
        EXPECT_EQ(recorder.refreshes, c.refreshes) << c.what;
    }
}

TEST(ChangeDebouncer, CancelForgetsThePendingBurst)
{
    Recorder recorder;
    recorder.debouncer.changed();
    recorder.debouncer.cancel();
    recorder.queue.advance(500);
    EXPECT_TRUE(recorder.refreshes.empty());
}

}
}
