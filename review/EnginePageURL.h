#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace ikw {

// One query item of an engine page's address: name, then the value as it is (unescaped).
using PageQueryItem = std::pair<std::string, std::string>;

// The file URL of an engine page with its query items in the given order. Values are escaped but
// for the unreserved characters, "/" and ":", so "&", "=", "+" and "#" in a path never change the
// query's meaning. Nothing when `pagePath` is not an absolute path.
std::optional<std::string> enginePageURL(const std::string& pagePath, const std::vector<PageQueryItem>& items);

}
