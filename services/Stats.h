#pragma once

#include "services/StatsCatalog.h"
#include "services/StatsStore.h"

#include <memory>
#include <string>
#include <string_view>

// The application's usage counters: every feature counts into the one store that the program
// installs at start. Until a store is installed the calls do nothing, which keeps tests of
// other features from writing counters.
namespace ikw::services::Stats {

// The name of the application's folder in the user's data folder.
inline constexpr std::string_view supportName = "Inkwarden";

// The product's store settings: $XDG_DATA_HOME/Inkwarden, the real clock, a 5 s write delay.
StatsConfig productConfig(std::string applicationIdentifier);

// Makes `store` the process's store and returns the previous one (either may be null).
std::shared_ptr<StatsStore> install(std::shared_ptr<StatsStore> store);
std::shared_ptr<StatsStore> installed();

void record(std::string_view id);
void record(std::string_view id, UnixTime now);
void funnel(std::string_view flow, std::string_view step);
void noteSession();
void noteSession(UnixTime now);

// Installs a store for one scope and puts the previous one back afterwards.
class ScopedStore {
public:
    explicit ScopedStore(std::shared_ptr<StatsStore> store) : m_previous(install(std::move(store))) {}
    ~ScopedStore() { install(std::move(m_previous)); }
    ScopedStore(const ScopedStore&) = delete;
    ScopedStore& operator=(const ScopedStore&) = delete;

private:
    std::shared_ptr<StatsStore> m_previous;
};

}
