#include "crossdoc/SearchPayloads.h"

#include "crossdoc/SearchIndex.h"
#include "platform/ui/PageScript.h"

namespace ikw::crossdoc {

namespace {

constexpr std::size_t kExactDocuments = 300;
constexpr std::size_t kExactHitsPerDocument = 40;
constexpr std::size_t kFuzzyDocuments = 200;
constexpr std::size_t kFuzzyHitsPerDocument = 20;

// The live payload's value under `key` when it has the default's kind, else the default.
Json carried(const Json& live, const char* key, Json fallback)
{
    const auto found = live.find(key);
    if (found == live.end())
        return fallback;
    const bool sameKind = (found->is_number_integer() && fallback.is_number_integer()) || (found->is_string() && fallback.is_string())
        || (found->is_array() && fallback.is_array());
    return sameKind ? *found : fallback;
}

// The array under `key`, or an empty one.
Json arrayAt(const Json& object, const char* key)
{
    const auto found = object.is_object() ? object.find(key) : object.end();
    return found != object.end() && found->is_array() ? *found : Json::array();
}

std::string anchorOfPage(const Json& hit)
{
    const auto page = hit.find("page");
    if (page == hit.end() || page->is_null())
        return {};
    return page->is_string() ? page->get<std::string>() : page->dump();
}

Json upgradedHit(Json hit)
{
    if (!hit.is_object())
        hit = Json::object();
    hit["anchor"] = anchorOfPage(hit);
    hit["atype"] = "page";
    hit["fuzzy"] = false;
    return hit;
}

Json hitEntry(const IWHit& hit)
{
    return { { "anchor", hit.anchor }, { "atype", hit.atype }, { "page", hit.page }, { "snippet", hit.snippet }, { "match", hit.match },
        { "fuzzy", hit.fuzzy } };
}

Json documentEntry(const IWDocResult& document)
{
    Json hits = Json::array();
    for (const IWHit& hit : document.hits)
        hits.push_back(hitEntry(hit));
    return { { "path", document.path }, { "name", document.name }, { "type", document.type }, { "count", document.count },
        { "shown", document.hits.size() }, { "hits", std::move(hits) }, { "fuzzy", document.fuzzy } };
}

long long countTotal(const std::vector<IWDocResult>& documents)
{
    long long total = 0;
    for (const IWDocResult& document : documents)
        total += document.count;
    return total;
}

}

Json upgradePayload(const Json& live, const SearchRequest& request, bool indexing)
{
    const Json source = live.is_object() ? live : Json::object();
    Json docs = Json::array();
    long long hitCount = 0;
    for (Json document : arrayAt(source, "docs")) {
        if (!document.is_object())
            continue;
        Json hits = Json::array();
        for (const Json& hit : arrayAt(document, "hits"))
            hits.push_back(upgradedHit(hit));
        document["hits"] = std::move(hits);
        document["type"] = "pdf";
        document["fuzzy"] = false;
        const auto count = document.find("count");
        hitCount += count != document.end() && count->is_number_integer() ? count->get<long long>() : 0;
        docs.push_back(std::move(document));
    }
    const std::size_t docCount = docs.size();
    return { { "q", request.q }, { "mode", request.mode }, { "indexed", false }, { "indexing", indexing }, { "docs", std::move(docs) },
        { "docCount", docCount }, { "hitCount", hitCount }, { "fuzzyAvailable", false }, { "fuzzyPreview", 0 },
        { "scanned", carried(source, "scanned", 0) }, { "scannedNoText", carried(source, "scannedNoText", Json::array()) },
        { "ocrUsed", carried(source, "ocrUsed", 0) }, { "scope", carried(source, "scope", "") }, { "scopeCount", carried(source, "scopeCount", 0) },
        { "note", carried(source, "note", "") } };
}

Json indexedSearchPayload(IWSearchIndex& index, const SearchRequest& request, const SearchScope& scope)
{
    const IndexPathFilter filter { .files = scope.explicitFiles, .folders = scope.dirs, .existingFilesOnly = true };
    const bool fuzzy = request.mode == "fuzzy";
    const std::vector<IWDocResult> results = fuzzy ? index.searchFuzzy(request.q, kFuzzyDocuments, kFuzzyHitsPerDocument, filter)
                                                   : index.searchExact(request.q, kExactDocuments, kExactHitsPerDocument, filter);
    long long fuzzyPreview = 0;
    if (request.mode == "exact" && results.empty())
        fuzzyPreview = countTotal(index.searchFuzzy(request.q, kFuzzyDocuments, kFuzzyHitsPerDocument, filter));
    Json docs = Json::array();
    for (const IWDocResult& document : results)
        docs.push_back(documentEntry(document));
    return { { "q", request.q }, { "mode", request.mode }, { "indexed", true }, { "indexing", false }, { "docs", std::move(docs) },
        { "docCount", results.size() }, { "hitCount", countTotal(results) }, { "fuzzyAvailable", fuzzyPreview > 0 },
        { "fuzzyPreview", fuzzyPreview }, { "scope", scopeName(scope.dirs) }, { "scopeCount", scope.dirs.size() } };
}

std::string searchResultsCall(const Json& payload)
{
    return ui::guardedCall("ikwSearchResults", toJson(payload));
}

std::string indexProgressCall(std::size_t done, std::size_t total, const std::string& name)
{
    return ui::guardedCall("ikwIndexProgress", toJson(Json { { "done", done }, { "total", total }, { "name", name } }));
}

}
