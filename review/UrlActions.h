#pragma once

#include "review/ActionTable.h"
#include "review/PagePath.h"
#include "review/UrlQuery.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ikw {

class ReviewWC;
namespace ui {
class WebView;
}

// The first "path" item that has a value, else the first "p" item.
std::optional<std::string> qpath(std::string_view url);
// The "paths" item as a JSON array of strings; anything else is the empty list.
std::vector<std::string> qpaths(std::string_view url);
// `text` as a JSON array of strings; anything else is the empty list.
std::vector<std::string> jsonStringList(std::string_view text);


// One action a review page sent: the window whose page navigated and the whole action URL.
struct UrlAction {
    ReviewWC& window;
    std::string url;

    ui::WebView& web() const;
    std::optional<std::string> item(std::string_view name) const { return urlQuery(url, name); }
    std::optional<std::string> path() const { return qpath(url); }
    std::vector<std::string> paths() const { return qpaths(url); }
    // Evaluates `script` in the page that sent the action; its result is not wanted.
    void answer(const std::string& script) const;
};

// The review windows' host table; every feature adds its rows with its own
// `registerActions(UrlActions&)`.
class UrlActions : public ActionTable<UrlAction> {
public:
    UrlActions() : ActionTable("URL actions") {}
};

}
