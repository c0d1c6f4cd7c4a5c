#pragma once

#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

// The numbers page requests carry. Every number is kept within 32 bits, so that the ±1 between
// page numbers and indexes and the conversions to MuPDF's ints can never overflow.
namespace ikw::docops {

// A decimal integer with an optional leading "+" or "-" and nothing around it (" 3" is none).
std::optional<long long> parseStrictInteger(std::string_view text);
// The same, none outside the 32-bit range.
std::optional<long long> parsePageInteger(std::string_view text);

// The request's 1-based page numbers: `pages` split at ",", the integers kept in order; only when
// `pages` is absent, the one number of `page`.
std::vector<long long> pageList(const std::optional<std::string>& pages, const std::optional<std::string>& page);
// The 0-based indexes of the page numbers, duplicates collapsed.
std::set<long long> indexSet(const std::vector<long long>& pageNumbers);
// The comma-separated integers of `order`, other pieces dropped.
std::vector<long long> integerList(std::string_view text);

// "page 3" for one index, "2 pages" for several.
std::string pagePhrase(const std::set<long long>& indexes);
// "1 page", "3 pages".
std::string pageCount(long long count);

// Degrees of `deg`: 90 when absent or not an integer.
long long degreesItem(const std::optional<std::string>& text);
// A position of `at`: 0 when absent or not an integer, else within the int range.
int positionItem(const std::optional<std::string>& text);

// Whether `order` lists every index 0...count-1 exactly once.
bool isPermutation(const std::vector<long long>& order, int count);

}
