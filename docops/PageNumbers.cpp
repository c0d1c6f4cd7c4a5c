#include "docops/PageNumbers.h"

#include "platform/core/Text.h"

#include <algorithm>
#include <limits>

namespace ikw::docops {

namespace {

constexpr long long kIntMin = std::numeric_limits<int>::min();
constexpr long long kIntMax = std::numeric_limits<int>::max();

}

std::optional<long long> parseStrictInteger(std::string_view text)
{
    // The shared parser drops one "+" and would then read "+-5" as -5.
    if (text.starts_with("+-"))
        return std::nullopt;
    return parseInteger(text);
}

std::optional<long long> parsePageInteger(std::string_view text)
{
    const auto value = parseStrictInteger(text);
    if (!value || *value < kIntMin || *value > kIntMax)
        return std::nullopt;
    return value;
}

std::vector<long long> integerList(std::string_view text)
{
    std::vector<long long> numbers;
    for (const auto& piece : split(text, ',', false)) {
        if (const auto number = parsePageInteger(piece))
            numbers.push_back(*number);
    }
    return numbers;
}

std::vector<long long> pageList(const std::optional<std::string>& pages, const std::optional<std::string>& page)
{
    if (pages)
        return integerList(*pages);
    if (!page)
        return {};
    if (const auto number = parsePageInteger(*page))
        return { *number };
    return {};
}

std::set<long long> indexSet(const std::vector<long long>& pageNumbers)
{
    std::set<long long> indexes;
    for (const long long number : pageNumbers)
        indexes.insert(number - 1);
    return indexes;
}

std::string pageCount(long long count)
{
    return std::to_string(count) + (count == 1 ? " page" : " pages");
}

std::string pagePhrase(const std::set<long long>& indexes)
{
    if (indexes.size() == 1)
        return "page " + std::to_string(*indexes.begin() + 1);
    return std::to_string(indexes.size()) + " pages";
}

long long degreesItem(const std::optional<std::string>& text)
{
    if (!text)
        return 90;
    return parseStrictInteger(*text).value_or(90);
}

int positionItem(const std::optional<std::string>& text)
{
    if (!text)
        return 0;
    const auto value = parseStrictInteger(*text);
    return value ? static_cast<int>(std::clamp(*value, kIntMin, kIntMax)) : 0;
}

bool isPermutation(const std::vector<long long>& order, int count)
{
    if (order.size() != static_cast<std::size_t>(count))
        return false;
    std::vector<bool> seen(order.size(), false);
    for (const long long index : order) {
        if (index < 0 || index >= count || seen[static_cast<std::size_t>(index)])
            return false;
        seen[static_cast<std::size_t>(index)] = true;
    }
    return true;
}

}
