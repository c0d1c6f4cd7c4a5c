#pragma once

#include "services/StatsCounters.h"

#include <string>
#include <string_view>

namespace ikw::services::Stats {

// Only these feature ids are counted; callers may pass others, which are ignored.
bool isKnownFeature(std::string_view id);
// Whether `step` is one of the counted steps of the flow `flow` (only "share" has any).
bool isKnownStep(std::string_view flow, std::string_view step);

// The application's short name in the file, from its identifier ("com.norvale.inkwarden").
std::string appKey(std::string_view applicationIdentifier);

// The local calendar date of `time` as "yyyy-MM-dd".
std::string dayKey(UnixTime time);

}
