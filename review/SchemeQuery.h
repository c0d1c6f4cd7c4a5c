#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ikw::review {

// The query items of a resource-scheme URL, percent-decoded, in order ("+" stays "+"). None when
// the URL has no query, the query has no items, or an escape is malformed.
class SchemeQuery {
public:
    static std::optional<SchemeQuery> parse(std::string_view url);

    // The value of the first item of that name; none when there is no such item or that item has
    // no "=" and so no value.
    std::optional<std::string> first(std::string_view name) const;

private:
    using Item = std::pair<std::string, std::optional<std::string>>;
    std::vector<Item> m_items;
};

}
