#pragma once

#include "platform/core/FileSystem.h"
#include "platform/core/TaskQueue.h"
#include "platform/core/WorkQueue.h"
#include "services/StatsCounters.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace ikw::services {

struct StatsConfig {
    // The folder of usage-stats.json; created when the first write happens.
    std::string folder;
    // The application's identifier, from which the file's "app" key is made.
    std::string applicationIdentifier;
    // The wall clock, for dates the callers leave out and for "updated".
    std::function<UnixTime()> clock;
    // Delay between the first unsaved change and the write that carries it.
    double flushInterval = 5.0;
    FileSystem* fileSystem = &realFileSystem();
};

// The current wall-clock time.
UnixTime currentUnixTime();

// Local usage counters kept in usage-stats.json. Callers on any thread only check the id and
// post; the counters and their load and write state live on one serial queue. The file is read
// by the first change and written once, `flushInterval` after the first unsaved change, with
// every change made meanwhile. Nothing is written at quit, and every failure is silent.
class StatsStore {
public:
    // Runs on a serial queue of its own.
    explicit StatsStore(StatsConfig config);
    // Runs on `queue`, which must be serial. Tasks the queue still holds keep what they need
    // alive, so the queue may outlive the store.
    StatsStore(StatsConfig config, TaskQueue& queue);
    ~StatsStore();
    StatsStore(const StatsStore&) = delete;
    StatsStore& operator=(const StatsStore&) = delete;

    // Counts one use of a known feature; unknown ids are ignored here and queue nothing.
    void record(std::string_view id);
    void record(std::string_view id, UnixTime now);
    // Counts one arrival at a known step of a known flow ("share", "rendered").
    void funnel(std::string_view flow, std::string_view step);
    // Counts one launch and notes the local day of `now` as active.
    void noteSession();
    void noteSession(UnixTime now);

    const std::string& home() const;
    const std::string& path() const;
    const std::string& appKey() const;
    double flushInterval() const;

private:
    struct State;
    StatsStore(StatsConfig config, std::unique_ptr<WorkQueue> ownQueue);

    std::shared_ptr<State> m_state;
    // Last, so that it is destroyed first: its worker finishes before the state goes.
    std::unique_ptr<WorkQueue> m_ownQueue;
};

}
