#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace ikw::library {

using PageQueryItems = std::vector<std::pair<std::string, std::string>>;

// The file URL of a page (an engine page or one the application wrote) with `items` as its query,
// in the given order. Values are percent-encoded except for "/" and ":", so "&", "=", "+" and "#"
// in a path never change the query's meaning. Nothing when `page` is not an absolute path.
std::optional<std::string> enginePageURL(const std::string& page, const PageQueryItems& items);

}
