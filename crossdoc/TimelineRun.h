#pragma once

#include "review/EngineProcess.h"

#include <array>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace ikw::crossdoc {

// An ordered pair of draft indexes: the earlier draft, then the later one.
using DraftPair = std::array<long long, 2>;

// The diff key of a pair: "0>1", "2>0".
std::string diffKey(const DraftPair& pair);

// What one run of the diff script gave, as JSON texts passed to the page unchanged.
struct TimelineAnswer {
    std::optional<std::string> drafts;        // the `drafts` value; nothing when absent
    std::map<std::string, std::string> diffs; // diff key to that diff
};

// The job the diff script reads: `paths`, `meta`, and `pairs` only when pairs are asked for.
std::string timelineJobText(const std::vector<std::string>& paths, const std::optional<std::vector<DraftPair>>& pairs, bool meta);

// The script's answer file read back; nothing when there was none or it is not a JSON object.
std::optional<TimelineAnswer> readTimelineAnswer(const std::optional<std::string>& output);

// One run of the diff script over `paths` (for `pairs`, else every pair it chooses). The job file
// lives in the reviews folder for the length of the run. The completion runs once on the main
// queue: at once when the job cannot be written, else when the script ends; any failure gives an
// empty answer (logged).
void computeTimeline(const std::vector<std::string>& paths, const std::optional<std::vector<DraftPair>>& pairs, bool meta,
    std::function<void(TimelineAnswer)> completion, EngineRunOptions runOptions = {});

}
