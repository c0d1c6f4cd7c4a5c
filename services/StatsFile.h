#pragma once

#include "services/StatsCounters.h"

#include <string>
#include <string_view>

namespace ikw::services {

// Reads the text of usage-stats.json. Anything unreadable starts the counters empty, and so does
// a file whose "features" is missing or holds a non-object: then not even the funnels or the
// activity are taken. Feature ids and funnel steps no longer counted are dropped; a feature
// without dates gets `loadTime`.
StatsCounters parseStatsFile(std::string_view text, UnixTime loadTime);

// The whole file: all six members, always, pretty-printed.
std::string statsFileText(const StatsCounters& counters, std::string_view appKey, UnixTime updated);

}
