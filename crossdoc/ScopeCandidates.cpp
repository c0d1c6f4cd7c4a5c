#include "crossdoc/ScopeCandidates.h"

#include "crossdoc/FolderWalk.h"

#include <unordered_set>

namespace ikw::crossdoc {

std::vector<std::string> collectScope(const std::vector<std::string>& folders, const std::vector<std::string>& givenFiles,
    const ScopeRules& rules)
{
    std::vector<std::string> files;
    std::unordered_set<std::string> seen;
    const auto add = [&](const std::string& path) {
        if (seen.insert(path).second)
            files.push_back(path);
    };
    for (const std::string& path : givenFiles) {
        if (rules.acceptGiven(path))
            add(path);
    }
    for (const std::string& folder : folders) {
        if (files.size() >= rules.maxFiles)
            break;
        walkFolder(folder, [&](const std::string& path) {
            if (files.size() >= rules.maxFiles)
                return WalkStep::Stop;
            if (rules.acceptFound(path))
                add(path);
            return WalkStep::Continue;
        });
    }
    return files;
}

}
