#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ikw::crossdoc {

// One match found by an index query.
struct IWHit {
    std::string path;   // the document, as the index stores it
    std::string name;   // its last path component
    std::string type;   // its document type (DocumentTypes.h)
    std::string atype;  // the chunk's anchor kind
    std::string anchor; // the chunk's anchor
    std::int64_t page = 0;
    std::string snippet;
    // Exact hits: the chunk's text where the query was found, in the chunk's own letter case.
    // Fuzzy hits: the chosen words joined by single spaces.
    std::string match;
    bool fuzzy = false;

    bool operator==(const IWHit&) const = default;
};

// The hits of one document.
struct IWDocResult {
    std::string path;
    std::string name;
    std::string type;
    std::int64_t count = 0;   // every hit located in the document, also those not kept
    std::vector<IWHit> hits;  // the first ones located, at most the query's hits per document
    bool fuzzy = false;       // any of its hits is fuzzy

    bool operator==(const IWDocResult&) const = default;
};

}
