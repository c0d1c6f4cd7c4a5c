#include "review/UrlActions.h"

#include "platform/core/Json.h"
#include "review/ReviewWC.h"

namespace ikw {

std::optional<std::string> qpath(std::string_view url)
{
    if (auto path = urlQuery(url, "path"))
        return path;
    return urlQuery(url, "p");
}

std::vector<std::string> jsonStringList(std::string_view text)
{
    const auto parsed = parseJson(text);
    if (!parsed || !parsed->is_array())
        return {};
    std::vector<std::string> items;
    for (const Json& element : *parsed) {
        if (!element.is_string())
            return {};
        items.push_back(element.get<std::string>());
    }
    return items;
}

std::vector<std::string> qpaths(std::string_view url)
{
    const auto value = urlQuery(url, "paths");
    return value ? jsonStringList(*value) : std::vector<std::string> {};
}

ui::WebView& UrlAction::web() const
{
    return window.webView();
}

void UrlAction::answer(const std::string& script) const
{
    window.evaluate(script);
}

}
