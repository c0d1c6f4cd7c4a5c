#pragma once

#include "crossdoc/SearchScope.h"
#include "platform/core/Json.h"

#include <cstddef>
#include <string>

namespace ikw::crossdoc {

class IWSearchIndex;

// What a page asked in a "search" action: the query trimmed of white space and newlines, and the
// mode lower-cased ("exact" when missing; "fuzzy" searches fuzzily, anything else exactly).
struct SearchRequest {
    std::string q;
    std::string mode;
};

// The answer to a search as the page receives it, whichever search found the hits: a live PDF
// search's result (LiveSearchResult::toJson) with "pdf" documents whose hits are anchored at their
// page. `indexing` tells the page that an indexed answer follows.
Json upgradePayload(const Json& live, const SearchRequest& request, bool indexing);

// The answer from the index (exact, or fuzzy for mode "fuzzy"), kept to the scope's folders and
// files that still exist. An exact search without documents tells how many fuzzy hits there
// would be. Call on the index's queue.
Json indexedSearchPayload(IWSearchIndex& index, const SearchRequest& request, const SearchScope& scope);

// The page calls that carry a search answer and a re-index step (file `done` of `total`).
std::string searchResultsCall(const Json& payload);
std::string indexProgressCall(std::size_t done, std::size_t total, const std::string& name);

}
