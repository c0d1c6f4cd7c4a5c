#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ikw {

// The first query item of `url` named exactly `name`, percent-decoded. A "+" stays a plus sign.
// No value when the URL has no scheme or holds white space or control characters, has no query,
// has no such item, the item has no "=", or its value holds a bad percent escape or decodes to
// something that is not UTF-8. "name=" gives the empty string.
std::optional<std::string> urlQuery(std::string_view url, std::string_view name);

// Every query item in order, decoded like urlQuery: an item without "=" has no value, and an item
// whose name or value does not decode is left out.
struct QueryItem {
    std::string name;
    std::optional<std::string> value;
};
std::vector<QueryItem> queryItems(std::string_view url);

// The item's value split at line feeds, keeping the pieces that name an existing file or folder by
// its absolute path.
std::vector<std::string> queryPathList(std::string_view url, std::string_view name);
// The item's value as a decimal integer with an optional sign and nothing else.
std::optional<long long> queryInteger(std::string_view url, std::string_view name);
// A decimal integer with an optional sign ("+5", "-3") and nothing else: no white space, no
// second sign, within the signed 64-bit range.
std::optional<long long> parseQueryInteger(std::string_view value);
// The item's value upper-cased, keeping only letters and digits.
std::optional<std::string> queryCode(std::string_view url, std::string_view name);

}
