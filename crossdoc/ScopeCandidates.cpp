#include "crossdoc/ScopeCandidates.h"

#include <unordered_set>

namespace ikw::crossdoc {

std::vector<std::string> collectScope(const std::vector<std::string>& folders, const std::vector<std::string>& givenFiles,
    const ScopeRules& rules)
{
    std::vector<std::string> files;
    std::unordered_set<std::string> seen;
    bool stopped = false;
    const auto add = [&](const std::string& path) {
        if (!seen.insert(path).second)
            return;
        files.push_back(path);
        stopped = rules.onAdded && rules.onAdded(path) == WalkStep::Stop;
    };
    for (const std::string& path : givenFiles) {
        if (stopped)
            return files;
        if (rules.acceptGiven(path))
            add(path);
    }
    for (const std::string& folder : folders) {
        if (stopped || files.size() >= rules.maxFiles)
            break;
        walkFolder(folder, [&](const std::string& path) {
            if (files.size() >= rules.maxFiles)
                return WalkStep::Stop;
            if (rules.acceptFound(path))
                add(path);
            return stopped ? WalkStep::Stop : WalkStep::Continue;
        }, rules.onListing);
    }
    return files;
}

}
