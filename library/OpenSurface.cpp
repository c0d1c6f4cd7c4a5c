#include "library/OpenSurface.h"

#include <algorithm>

namespace ikw::library::OpenSurface {

namespace {

template<std::size_t Count>
std::string settingIn(const Json& settings, const char* key, const std::array<std::string_view, Count>& allowed)
{
    const auto found = settings.is_object() ? settings.find(key) : settings.end();
    if (found == settings.end() || !found->is_string())
        return {};
    const auto& value = found->get_ref<const std::string&>();
    return std::find(allowed.begin(), allowed.end(), value) != allowed.end() ? value : std::string();
}

}

const std::map<std::string, Sheet, std::less<>>& sheets()
{
    static const std::map<std::string, Sheet, std::less<>> table {
        { "slate", { 0.933, 0.945, 0.957 } },
        { "cream", { 0.957, 0.937, 0.894 } },
        { "paper", { 1.0, 1.0, 1.0 } },
        { "warmdark", { 0.11, 0.102, 0.09 } },
        { "pagedark", { 0.106, 0.106, 0.114 } },
    };
    return table;
}

std::string layout(const Json& settings)
{
    const std::string chosen = settingIn(settings, "open_layout", layouts);
    return chosen.empty() ? "covers" : chosen;
}

std::string palette(const Json& settings, bool dark)
{
    const std::string chosen = settingIn(settings, "open_palette", palettes);
    if (!chosen.empty())
        return chosen;
    return dark ? "pagedark" : "cream";
}

Sheet sheet(const Json& settings, bool dark)
{
    const auto& table = sheets();
    const auto found = table.find(palette(settings, dark));
    return found != table.end() ? found->second : table.at("cream");
}

}
