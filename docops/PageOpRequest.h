#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ikw::docops {

// The query items of a "pageop" action, each the value of the first item of its name.
struct PageOpRequest {
    std::optional<std::string> op;
    std::optional<std::string> path; // the `path` item, else the `p` item
    std::optional<std::string> pages;
    std::optional<std::string> page;
    std::optional<std::string> deg;
    std::optional<std::string> at;
    std::optional<std::string> from;
    std::optional<std::string> to;
    std::optional<std::string> order;

    static PageOpRequest fromUrl(std::string_view url);
};

}
