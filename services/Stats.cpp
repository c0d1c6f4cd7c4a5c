#include "services/Stats.h"

#include "platform/core/Paths.h"

#include <mutex>

namespace ikw::services::Stats {

namespace {

std::mutex& storeMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::shared_ptr<StatsStore>& storeSlot()
{
    static std::shared_ptr<StatsStore> store;
    return store;
}

}

StatsConfig productConfig(std::string applicationIdentifier)
{
    StatsConfig config;
    config.folder = Paths::fromEnvironment().applicationSupport(supportName);
    config.applicationIdentifier = std::move(applicationIdentifier);
    config.clock = currentUnixTime;
    return config;
}

std::shared_ptr<StatsStore> install(std::shared_ptr<StatsStore> store)
{
    std::lock_guard lock(storeMutex());
    std::swap(storeSlot(), store);
    return store;
}

std::shared_ptr<StatsStore> installed()
{
    std::lock_guard lock(storeMutex());
    return storeSlot();
}

void record(std::string_view id)
{
    if (const auto store = installed())
        store->record(id);
}

void record(std::string_view id, UnixTime now)
{
    if (const auto store = installed())
        store->record(id, now);
}

void funnel(std::string_view flow, std::string_view step)
{
    if (const auto store = installed())
        store->funnel(flow, step);
}

void noteSession()
{
    if (const auto store = installed())
        store->noteSession();
}

void noteSession(UnixTime now)
{
    if (const auto store = installed())
        store->noteSession(now);
}

}
