// Keeping the index in line with a scope: the freshness check and the incremental re-index.

#include "crossdoc/DocumentTypes.h"
#include "crossdoc/ScopeCandidates.h"
#include "crossdoc/SearchIndex.h"
#include "platform/core/Paths.h"

#include <sys/stat.h>

#include <unordered_set>

namespace ikw::crossdoc {

namespace {

// Files recorded between two commits of a re-index.
constexpr std::size_t kFilesPerTransaction = 40;

bool exists(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

}

std::vector<std::string> IWSearchIndex::scopeFiles(const std::vector<std::string>& dirs, const std::vector<std::string>& explicitFiles,
    std::size_t maxFiles, const std::function<bool(const std::string& path)>& keepGoing,
    const std::function<void(const std::string& folder)>& listing)
{
    ScopeRules rules {
        .maxFiles = maxFiles,
        .acceptGiven = [](const std::string& path) { return isIndexablePath(path) && exists(path); },
        .acceptFound = [](const std::string& path) { return isIndexablePath(path); },
    };
    if (keepGoing)
        rules.onAdded = [&](const std::string& path) { return keepGoing(path) ? WalkStep::Continue : WalkStep::Stop; };
    rules.onListing = listing;
    return collectScope(dirs, explicitFiles, rules);
}

bool IWSearchIndex::isFresh(const std::vector<std::string>& dirs, const std::vector<std::string>& explicitFiles, std::size_t maxFiles)
{
    startAfreshIfDamaged();
    knownFiles();
    const bool sameScope = m_freshScope && m_freshScope->dirs == dirs && m_freshScope->explicitFiles == explicitFiles
        && m_freshScope->maxFiles == maxFiles && m_freshScope->knownFilesReading == m_knownFilesReadings;
    if (sameScope && !m_freshScopeWatch.changed())
        return true;
    m_freshScope.reset();
    if (!checkFreshness(dirs, explicitFiles, maxFiles))
        return false;
    if (!m_freshScopeWatch.changed())
        m_freshScope = FreshScope { dirs, explicitFiles, maxFiles, m_knownFilesReadings };
    return true;
}

bool IWSearchIndex::checkFreshness(const std::vector<std::string>& dirs, const std::vector<std::string>& explicitFiles, std::size_t maxFiles)
{
    // Watching starts before anything is looked at, so a change during the walk is either seen by
    // the walk or reported by the watch.
    m_freshScopeWatch.reset();
    for (const std::string& file : explicitFiles)
        m_freshScopeWatch.add(parentPath(file));
    const auto& indexed = knownFiles();
    bool fresh = true;
    scopeFiles(dirs, explicitFiles, maxFiles, [&](const std::string& path) {
        bool isLink = false;
        const auto key = statKey(path, isLink);
        // A link's target may change where no watch sees it: such a scope is walked every time.
        if (isLink)
            m_freshScopeWatch.markChanged();
        const auto row = indexed.find(path);
        fresh = key && row != indexed.end() && row->second == *key;
        return fresh;
    }, [&](const std::string& folder) { m_freshScopeWatch.add(folder); });
    return fresh;
}

std::size_t IWSearchIndex::reindex(const std::vector<std::string>& dirs, const std::vector<std::string>& explicitFiles,
    std::size_t maxFiles, const ReindexProgress& progress, const StopCheck& shouldStop)
{
    startAfreshIfDamaged();
    const std::vector<std::string> found = scopeFiles(dirs, explicitFiles, maxFiles);
    const auto indexed = indexedFiles();

    // Everything outside the scope goes first, each deletion committing by itself.
    const std::unordered_set<std::string> inScope(found.begin(), found.end());
    for (const auto& [path, key] : indexed) {
        if (!inScope.contains(path))
            deleteFile(path);
    }

    std::vector<std::string> toDo;
    for (const std::string& path : found) {
        const auto key = statKey(path);
        const auto row = indexed.find(path);
        if (!key || row == indexed.end() || row->second != *key)
            toDo.push_back(path);
    }

    const ExtractorOptions options { .ocrLookup = m_ocrLookup };
    runLogged("BEGIN;");
    std::size_t batch = 0;
    for (std::size_t index = 0; index < toDo.size(); ++index) {
        if (shouldStop && shouldStop())
            break;
        const std::string& path = toDo[index];
        if (progress)
            progress(index + 1, toDo.size(), lastPathComponent(path));
        const auto key = statKey(path);
        if (!key)
            continue;
        const std::string type = documentType(pathExtension(path));
        deleteFile(path);
        for (const Chunk& chunk : m_extractor(path, type, options))
            insertChunk(path, chunk);
        recordFile(path, type, *key);
        if (++batch == kFilesPerTransaction) {
            runLogged("COMMIT;");
            runLogged("BEGIN;");
            batch = 0;
        }
    }
    runLogged("COMMIT;");
    return toDo.size();
}

}
