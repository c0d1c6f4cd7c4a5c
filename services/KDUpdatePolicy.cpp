#include "services/KDUpdate.h"

#include "platform/core/Log.h"

#include <chrono>
#include <utility>

namespace ikw::services::KDUpdate {

namespace {

// The products whose feed key is not the last part of their identifier.
struct KnownKey {
    std::string_view identifier;
    std::string_view key;
};
constexpr KnownKey kKnownKeys[] {
    { "com.norvale.inkwarden", "inkwarden" },
    { "com.norvale.culmoraphotos", "culmora-photos" },
    { "com.norvale.pippetviewer", "pippet-viewer" },
};

double secondsSince1970()
{
    return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

// The step the timers run, for the state that owns them (a timer dies with its state).
void periodicStepOf(State& updater)
{
    const bool enabled = updater.autoEnabled ? updater.autoEnabled() : autoCheck();
    if (enabled)
        checkNow(false);
}

// Clears the in-flight flag when the check job ends, however it ends.
class InFlightRelease {
public:
    explicit InFlightRelease(State& updater) : m_updater(updater) {}
    ~InFlightRelease() { m_updater.inFlight.store(false); }
    InFlightRelease(const InFlightRelease&) = delete;
    InFlightRelease& operator=(const InFlightRelease&) = delete;

private:
    State& m_updater;
};

}

std::string appKeyFor(std::string_view bundleIdentifier)
{
    for (const KnownKey& known : kKnownKeys) {
        if (known.identifier == bundleIdentifier)
            return std::string(known.key);
    }
    const auto dot = bundleIdentifier.rfind('.');
    return std::string(dot == std::string_view::npos ? bundleIdentifier : bundleIdentifier.substr(dot + 1));
}

void setupAutoUpdate(std::string_view bundleIdentifier, std::function<void(const std::string& title)> showStatus)
{
    const auto updater = state();
    updater->appKey = appKeyFor(bundleIdentifier);
    updater->onStatus = [showStatus = std::move(showStatus)](const std::string& line) {
        if (showStatus)
            showStatus("Updates: on \u00b7 " + line);
    };
    start();
}

void start()
{
    const auto updater = state();
    if (updater->appKey.empty()) {
        logLine("[KDUpdate] appKey not set; updater disabled");
        return;
    }
    // The timers belong to the state, so a step never outlives the state it checks for. GLib
    // timers have no tolerance: a late firing is as good as one on time.
    State* const owner = updater.get();
    updater->firstStep = mainQueue().schedule(updater->firstCheckDelay, false, [owner] { periodicStepOf(*owner); });
    updater->periodic = mainQueue().schedule(updater->checkInterval, true, [owner] { periodicStepOf(*owner); });
}

void stopSchedule()
{
    const auto updater = state();
    updater->firstStep.cancel();
    updater->periodic.cancel();
    updater->stopping.stop();
}

void periodicStep()
{
    periodicStepOf(*state());
}

void checkNow(bool interactive)
{
    const auto updater = state();
    if (updater->appKey.empty())
        return;
    // One compare-exchange: of two requests at the same moment, exactly one takes the flag.
    bool idle = false;
    if (!updater->inFlight.compare_exchange_strong(idle, true))
        return;
    // The queue is the state's own and ends before it, so the job may hold the state plainly.
    State* const owner = updater.get();
    owner->queue->post([owner, interactive] {
        const InFlightRelease release(*owner);
        owner->defaults().set(kLastCheckKey, secondsSince1970());
        if (owner->check)
            owner->check(interactive);
    });
}

void setPendingUpdate(StagedUpdate staged)
{
    const auto updater = state();
    std::lock_guard lock(updater->pendingMutex);
    updater->pending = std::move(staged);
}

std::optional<StagedUpdate> takePendingUpdate()
{
    const auto updater = state();
    std::lock_guard lock(updater->pendingMutex);
    return std::exchange(updater->pending, std::nullopt);
}

void installPendingOnQuitIfAny()
{
    const auto staged = takePendingUpdate();
    if (!staged)
        return;
    const auto updater = state();
    // The swap's script waits for this process to end, so the quit goes on meanwhile.
    const auto error = updater->installStaged ? updater->installStaged(staged->bundle, false) : std::optional(err("no installer"));
    if (error)
        logLine("[KDUpdate] on-quit install failed: " + error->message);
}

}
