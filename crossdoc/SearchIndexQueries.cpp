// The exact and fuzzy queries of the index and the grouping of their hits by document.

#include "crossdoc/DocumentTypes.h"
#include "crossdoc/HitLocation.h"
#include "crossdoc/SearchIndex.h"
#include "platform/core/Paths.h"
#include "platform/core/RegularFile.h"
#include "platform/core/TextMetrics.h"

#include <algorithm>
#include <limits>
#include <unordered_map>

namespace ikw::crossdoc {

namespace {

constexpr std::size_t kFuzzyRowCap = 6000;
constexpr std::size_t kShortestQuery = 3;

constexpr std::string_view kMatchRows =
    "SELECT c.path, c.atype, c.anchor, c.page, c.body\n"
    "FROM chunk_fts f JOIN chunk c ON c.id = f.rowid\n"
    "WHERE chunk_fts MATCH ? ORDER BY rank LIMIT ?;";

// The same, kept to the documents of the filter tables.
constexpr std::string_view kMatchRowsInFilter =
    "SELECT c.path, c.atype, c.anchor, c.page, c.body\n"
    "FROM chunk_fts f JOIN chunk c ON c.id = f.rowid\n"
    "WHERE chunk_fts MATCH ? AND (c.path IN (SELECT path FROM temp.filter_files)\n"
    "  OR EXISTS (SELECT 1 FROM temp.filter_folders d WHERE c.path >= d.low AND c.path < d.high))\n"
    "ORDER BY rank LIMIT ?;";

constexpr const char* kPrepareFilter =
    "CREATE TEMP TABLE IF NOT EXISTS filter_files(path TEXT PRIMARY KEY);"
    "CREATE TEMP TABLE IF NOT EXISTS filter_folders(low TEXT, high TEXT);"
    "DELETE FROM temp.filter_files;"
    "DELETE FROM temp.filter_folders;";

// An FTS5 string: in double quotes, its own double quotes doubled.
std::string quoted(std::string_view text)
{
    std::string result = "\"";
    for (const char c : text)
        result.append(c == '"' ? "\"\"" : std::string_view(&c, 1));
    return result + "\"";
}

// The paths below a folder are those from "<folder>/" up to, not including, "<folder>0" ("0"
// follows "/"), so that "/A" never takes in "/AB".
std::pair<std::string, std::string> folderRange(std::string folder)
{
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    if (folder.back() != '/')
        folder += '/';
    std::string high = folder;
    high.back() = '/' + 1;
    return { folder, high };
}

// What a query leaves after trimming, when it is long enough to search for.
std::optional<std::string_view> searchableQuery(std::string_view query)
{
    const std::string_view trimmed = trimWhitespaceAndNewlines(query);
    if (graphemeCount(trimmed) < kShortestQuery)
        return std::nullopt;
    return trimmed;
}

// Row caps are bound as 32-bit integers.
int rowCap(std::size_t cap)
{
    return static_cast<int>(std::min<std::size_t>(cap, std::numeric_limits<int>::max()));
}

std::size_t exactRowCap(std::size_t limitDocs, std::size_t hitsPerDoc)
{
    const std::size_t limit = std::numeric_limits<int>::max();
    if (hitsPerDoc != 0 && limitDocs > limit / hitsPerDoc / 2)
        return limit;
    return limitDocs * hitsPerDoc * 2;
}

// The documents of a query in order of their first hit, with their hits.
class HitGroups {
public:
    explicit HitGroups(std::size_t hitsPerDoc)
        : m_hitsPerDoc(hitsPerDoc)
    {
    }

    // Whether the row's document keeps another hit; each further hit only counts.
    bool keepsHit(const std::string& path) const
    {
        const auto found = m_byPath.find(path);
        return found == m_byPath.end() || m_documents[found->second].hits.size() < m_hitsPerDoc;
    }

    void append(IWHit hit)
    {
        auto [found, added] = m_byPath.try_emplace(hit.path, m_documents.size());
        if (added)
            m_documents.push_back({ hit.path, hit.name, hit.type, 0, {}, hit.fuzzy });
        IWDocResult& document = m_documents[found->second];
        ++document.count;
        document.fuzzy = document.fuzzy || hit.fuzzy;
        if (document.hits.size() < m_hitsPerDoc)
            document.hits.push_back(std::move(hit));
    }

    // Most hits first, equal counts in order of their first hit; at most `limitDocs`, counted
    // after documents whose file is gone are left out when `existingFilesOnly`.
    std::vector<IWDocResult> take(std::size_t limitDocs, bool existingFilesOnly) &&
    {
        if (existingFilesOnly)
            std::erase_if(m_documents, [](const IWDocResult& document) { return !isRegularFile(document.path); });
        std::stable_sort(m_documents.begin(), m_documents.end(), [](const IWDocResult& a, const IWDocResult& b) { return a.count > b.count; });
        if (m_documents.size() > limitDocs)
            m_documents.resize(limitDocs);
        return std::move(m_documents);
    }

private:
    std::size_t m_hitsPerDoc;
    std::vector<IWDocResult> m_documents;
    std::unordered_map<std::string, std::size_t> m_byPath;
};

IWHit hitOf(const IWSearchIndex::Row& row, bool fuzzy)
{
    return { row.path, lastPathComponent(row.path), documentType(pathExtension(row.path)), row.atype, row.anchor, row.page, {}, {}, fuzzy };
}

}

std::vector<IWDocResult> IWSearchIndex::searchExact(std::string_view query, std::size_t limitDocs, std::size_t hitsPerDoc,
    const std::optional<IndexPathFilter>& filter)
{
    const auto trimmed = searchableQuery(query);
    if (!m_db || !trimmed)
        return {};
    const std::vector<Row> rows = matchRows(quoted(*trimmed), exactRowCap(limitDocs, hitsPerDoc), filter);
    return group(rows, *trimmed, false, limitDocs, hitsPerDoc, filter && filter->existingFilesOnly);
}

std::vector<IWDocResult> IWSearchIndex::searchFuzzy(std::string_view query, std::size_t limitDocs, std::size_t hitsPerDoc,
    const std::optional<IndexPathFilter>& filter)
{
    const auto trimmed = searchableQuery(query);
    if (!m_db || !trimmed)
        return {};
    const std::vector<std::string> queryTrigrams = trigrams(*trimmed);
    if (queryTrigrams.empty())
        return {};
    std::string expression;
    for (const std::string& trigram : queryTrigrams)
        expression.append(expression.empty() ? "" : " OR ").append(quoted(trigram));
    const std::vector<Row> rows = matchRows(expression, kFuzzyRowCap, filter);
    return group(rows, *trimmed, true, limitDocs, hitsPerDoc, filter && filter->existingFilesOnly);
}

std::vector<IWSearchIndex::Row> IWSearchIndex::matchRows(const std::string& expression, std::size_t cap,
    const std::optional<IndexPathFilter>& filter)
{
    std::vector<Row> rows;
    if (!m_db || (filter && !fillPathFilter(*filter)))
        return rows;
    auto select = m_db->prepare(filter ? kMatchRowsInFilter : kMatchRows);
    if (!select)
        return rows;
    select->bind(1, expression);
    select->bindInt32(2, rowCap(cap));
    while (checked(select->step()) == SQLITE_ROW)
        rows.push_back({ select->columnText(0), select->columnText(1), select->columnText(2), select->columnInt64(3), select->columnText(4) });
    return rows;
}

bool IWSearchIndex::fillPathFilter(const IndexPathFilter& filter)
{
    if (execute(kPrepareFilter) != SQLITE_OK)
        return false;
    auto addFile = m_db->prepare("INSERT OR IGNORE INTO temp.filter_files(path) VALUES(?);");
    auto addFolder = m_db->prepare("INSERT INTO temp.filter_folders(low, high) VALUES(?, ?);");
    if (!addFile || !addFolder)
        return false;
    for (const std::string& path : filter.files) {
        addFile->bind(1, path);
        checked(addFile->step());
        addFile->reset();
    }
    for (const std::string& folder : filter.folders) {
        if (folder.empty())
            continue;
        const auto [low, high] = folderRange(folder);
        addFolder->bind(1, low);
        addFolder->bind(2, high);
        checked(addFolder->step());
        addFolder->reset();
    }
    return true;
}

std::vector<IWDocResult> IWSearchIndex::group(const std::vector<Row>& rows, std::string_view query, bool fuzzy, std::size_t limitDocs,
    std::size_t hitsPerDoc, bool existingFilesOnly) const
{
    HitGroups groups(hitsPerDoc);
    if (fuzzy) {
        const FuzzyQuery fuzzyQuery(query);
        for (const Row& row : rows) {
            auto found = fuzzyLocate(row.body, fuzzyQuery);
            if (!found)
                continue;
            IWHit hit = hitOf(row, true);
            hit.snippet = std::move(found->snippet);
            hit.match = std::move(found->match);
            groups.append(std::move(hit));
        }
        return std::move(groups).take(limitDocs, existingFilesOnly);
    }
    const CaseInsensitiveFinder finder(query);
    for (const Row& row : rows) {
        for (const TextRange range : exactLocate(row.body, finder, hitsPerDoc)) {
            IWHit hit = hitOf(row, false);
            // A hit the document does not keep only counts: no context is made for it.
            if (groups.keepsHit(row.path)) {
                hit.snippet = hitSnippet(row.body, range);
                hit.match = row.body.substr(range.begin, range.size());
            }
            groups.append(std::move(hit));
        }
    }
    return std::move(groups).take(limitDocs, existingFilesOnly);
}

}
