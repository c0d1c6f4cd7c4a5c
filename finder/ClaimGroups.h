#pragma once

#include "finder/DeclaredTypes.h"

#include <optional>
#include <set>
#include <string>
#include <vector>

namespace ikw::finder {

// A content type the application may become the default for.
struct ContentType {
    std::string identifier;
    std::string mimeType;
    std::string extension; // without the dot; empty when none

    bool operator==(const ContentType&) const = default;
};

// A declared group as the user sees it, filtered down to what may be claimed; never empty.
struct ClaimGroup {
    std::string name;
    std::vector<ContentType> types;
};

using AllowList = std::set<std::string, std::less<>>;

// The brand's `default_app_types` from brand.json text: nothing (everything allowed) when the
// text does not parse, the key is missing, is not an array of strings, or is empty.
std::optional<AllowList> allowListFrom(const std::string& brandText);
// <resourcesDir>/brand.json, read afresh.
std::optional<AllowList> readAllowList(const std::string& resourcesDir);

// The groups in declared order: never-claimed, disallowed and unknown identifiers dropped, and a
// group left with nothing dropped too.
std::vector<ClaimGroup> claimGroups(const DeclaredTypes& declared, const std::optional<AllowList>& allowed);

// Every group's types one after another (a type in two groups comes twice).
std::vector<ContentType> claimedTypes(const std::vector<ClaimGroup>& groups);

// ".pdf .txt": the group's extensions, each once in order of first appearance.
std::string groupExtensions(const ClaimGroup& group);

}
