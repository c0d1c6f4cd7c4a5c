#include "services/StatsStore.h"

#include "platform/core/Paths.h"
#include "services/StatsCatalog.h"
#include "services/StatsFile.h"

#include <chrono>

namespace ikw::services {

UnixTime currentUnixTime()
{
    return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

struct StatsStore::State : std::enable_shared_from_this<State> {
    State(StatsConfig config, TaskQueue& queue)
        : home(std::move(config.folder))
        , path(joinPath(home, "usage-stats.json"))
        , appKey(Stats::appKey(config.applicationIdentifier))
        , clock(config.clock ? std::move(config.clock) : currentUnixTime)
        , flushInterval(config.flushInterval)
        , fileSystem(*config.fileSystem)
        , queue(queue)
    {
    }

    // Posts one change; the counters are touched only on the queue.
    template<typename Change>
    void post(Change change)
    {
        queue.post([self = shared_from_this(), change = std::move(change)] {
            self->loadLocked();
            change(self->counters);
            self->dirty = true;
            self->scheduleFlushLocked();
        });
    }

    // Reads the file once, even when it is missing or bad.
    void loadLocked()
    {
        if (loaded)
            return;
        loaded = true;
        if (const auto text = fileSystem.readFile(path))
            counters = parseStatsFile(*text, clock());
    }

    // One write `flushInterval` after the first unsaved change; later changes do not move it.
    void scheduleFlushLocked()
    {
        if (flushScheduled)
            return;
        flushScheduled = true;
        queue.postAfter(flushInterval, [self = shared_from_this()] {
            self->flushScheduled = false;
            self->flushLocked();
        });
    }

    void flushLocked()
    {
        if (!dirty)
            return;
        const std::string text = statsFileText(counters, appKey, clock());
        // Failures are ignored: the counts stay in memory and go out with the next write.
        (void)fileSystem.createDirectories(home);
        (void)fileSystem.replaceFile(path, text);
        dirty = false;
    }

    const std::string home;
    const std::string path;
    const std::string appKey;
    const std::function<UnixTime()> clock;
    const double flushInterval;
    FileSystem& fileSystem;
    TaskQueue& queue;

    // Touched only by tasks on `queue`.
    StatsCounters counters;
    bool loaded = false;
    bool dirty = false;
    bool flushScheduled = false;
};

StatsStore::StatsStore(StatsConfig config)
    : StatsStore(std::move(config), makeSerialQueue("com.norvale.inkwarden.stats"))
{
}

StatsStore::StatsStore(StatsConfig config, TaskQueue& queue)
    : m_state(std::make_shared<State>(std::move(config), queue))
{
}

StatsStore::StatsStore(StatsConfig config, std::unique_ptr<WorkQueue> ownQueue)
    : m_state(std::make_shared<State>(std::move(config), *ownQueue))
    , m_ownQueue(std::move(ownQueue))
{
}

StatsStore::~StatsStore() = default;

void StatsStore::record(std::string_view id)
{
    record(id, m_state->clock());
}

void StatsStore::record(std::string_view id, UnixTime now)
{
    if (!Stats::isKnownFeature(id))
        return;
    m_state->post([id = std::string(id), now](StatsCounters& counters) { counters.countFeature(id, now); });
}

void StatsStore::funnel(std::string_view flow, std::string_view step)
{
    if (!Stats::isKnownStep(flow, step))
        return;
    const std::string key = std::string(flow) + "." + std::string(step);
    m_state->post([key](StatsCounters& counters) { counters.countFunnelStep(key); });
}

void StatsStore::noteSession()
{
    noteSession(m_state->clock());
}

void StatsStore::noteSession(UnixTime now)
{
    m_state->post([now](StatsCounters& counters) { counters.countSession(Stats::dayKey(now)); });
}

const std::string& StatsStore::home() const { return m_state->home; }
const std::string& StatsStore::path() const { return m_state->path; }
const std::string& StatsStore::appKey() const { return m_state->appKey; }
double StatsStore::flushInterval() const { return m_state->flushInterval; }

}
