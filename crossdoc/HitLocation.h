#pragma once

#include "platform/core/TextMetrics.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace ikw::crossdoc {

// Finding a query inside one indexed chunk: where it is, and the context shown for it. Lengths and
// positions count user-perceived characters (grapheme clusters).

// The text lower-cased (ICU's root locale), cut into runs of three characters from the start,
// runs holding a double quote left out, each distinct run once in order of first appearance.
// Nothing for texts of fewer than three characters.
std::vector<std::string> trigrams(std::string_view text);

// The context of a match in a chunk: 48 characters either side, ends trimmed of spaces and tabs.
std::string hitSnippet(std::string_view body, TextRange match);

// Up to `cap` (at least one) non-overlapping case-insensitive occurrences, from the start.
std::vector<TextRange> exactLocate(std::string_view body, const CaseInsensitiveFinder& query, std::size_t cap);

// A fuzzy query prepared once for many chunks.
struct FuzzyQuery {
    explicit FuzzyQuery(std::string_view text);

    std::size_t length = 0; // in characters
    std::unordered_set<std::string> trigrams;
};

struct FuzzyHit {
    std::string snippet;
    std::string match; // the chosen words joined by single spaces
    int score = 0;
};

// The run of one to three words of the chunk that shares the most trigrams with the query, less
// one point for every eight characters by which its length differs from the query's (three points
// a shared trigram; ties keep the earlier, then shorter, run). Nothing when no run scores 1 or more.
std::optional<FuzzyHit> fuzzyLocate(std::string_view body, const FuzzyQuery& query);

}
