#pragma once

#include "crossdoc/TimelineRun.h"

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace ikw {
class ReviewWC;
}

namespace ikw::crossdoc {

// The diffs as one JavaScript object literal, "{"0>1":{...},...}", in the map's order.
std::string timelineDiffsObject(const std::map<std::string, std::string>& diffs);

// The page calls: the whole timeline, and diffs added after a reorder.
std::string timelineScript(const std::string& draftsJSON, const std::map<std::string, std::string>& diffs);
std::string timelineDiffsScript(const std::map<std::string, std::string>& diffs);

// The neighbour pairs of a new draft order ("2,0,1") whose diffs are not known yet, each once, in
// walking order. Parts that are not integers, or not the index of one of `draftCount` drafts, are
// skipped; with fewer than two indexes left there is nothing to ask for.
std::vector<DraftPair> reorderPairs(std::string_view order, std::size_t draftCount, const std::map<std::string, std::string>& known);

// "timelineready": the stored timeline to the page, once the first run has completed.
void pushTimeline(ReviewWC& window);

}
