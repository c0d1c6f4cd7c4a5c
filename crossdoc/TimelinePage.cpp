#include "crossdoc/TimelinePage.h"

#include "platform/core/Json.h"
#include "platform/ui/PageScript.h"
#include "review/ReviewWC.h"
#include "review/UrlQuery.h"

#include <algorithm>

namespace ikw::crossdoc {

std::string timelineDiffsObject(const std::map<std::string, std::string>& diffs)
{
    std::string object = "{";
    for (const auto& [key, diff] : diffs) {
        if (object.size() > 1)
            object += ",";
        object += jsQuote(key) + ":" + diff;
    }
    return object + "}";
}

std::string timelineScript(const std::string& draftsJSON, const std::map<std::string, std::string>& diffs)
{
    return ui::guardedCall("ikwTimeline", draftsJSON + "," + timelineDiffsObject(diffs));
}

std::string timelineDiffsScript(const std::map<std::string, std::string>& diffs)
{
    return ui::guardedCall("ikwTimelineDiffs", timelineDiffsObject(diffs));
}

std::vector<DraftPair> reorderPairs(std::string_view order, std::size_t draftCount, const std::map<std::string, std::string>& known)
{
    std::vector<long long> indexes;
    for (std::size_t start = 0; start <= order.size();) {
        const std::size_t end = std::min(order.find(',', start), order.size());
        const auto index = parseQueryInteger(order.substr(start, end - start));
        // An index the page made up would reach the script and leave a key no draft has.
        if (index && *index >= 0 && static_cast<unsigned long long>(*index) < draftCount)
            indexes.push_back(*index);
        start = end + 1;
    }
    std::vector<DraftPair> pairs;
    for (std::size_t i = 1; i < indexes.size(); ++i) {
        const DraftPair pair { indexes[i - 1], indexes[i] };
        if (!known.contains(diffKey(pair)) && std::find(pairs.begin(), pairs.end(), pair) == pairs.end())
            pairs.push_back(pair);
    }
    return pairs;
}

void pushTimeline(ReviewWC& window)
{
    if (!window.timeline.isTimeline || window.timeline.timelineDraftsJSON.empty())
        return;
    window.evaluate(timelineScript(window.timeline.timelineDraftsJSON, window.timeline.timelineDiffs));
}

}
