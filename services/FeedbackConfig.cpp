#include "services/Feedback.h"

#include "app/RecentItems.h"
#include "platform/core/TextMetrics.h"
#include "platform/http/CurlHttpClient.h"

#include <utility>

namespace ikw::services::Feedback {

namespace {

std::mutex g_stateMutex;
std::shared_ptr<State> g_state; // under g_stateMutex

std::string productNameOf(const AppInfo& info)
{
    if (!info.displayName.empty())
        return info.displayName;
    if (!info.name.empty())
        return info.name;
    return "this app";
}

bool looksLikeAddress(std::string_view text)
{
    return text.find('@') != std::string_view::npos && text.find('.') != std::string_view::npos
        && !text.starts_with('@') && text.find(' ') == std::string_view::npos;
}

template<typename T>
T locked(const State& state, const T& value)
{
    std::lock_guard lock(state.mutex);
    return value;
}

template<typename T>
void assign(State& state, T& field, T value)
{
    std::lock_guard lock(state.mutex);
    field = std::move(value);
}

}

State::State()
    : http(std::make_shared<http::CurlHttpClient>())
    , defaults(appUserDefaults)
    , version([] { return globals().appInfo.shortVersion; })
    , build([] { return globals().appInfo.build; })
    , productName([] { return productNameOf(globals().appInfo); })
    , contactEmail([this] { return resolveContactEmail(defaults()); })
    , accentColor([] { return std::optional<SrgbColor>(kDefaultAccentColor); })
{
}

std::shared_ptr<State> state()
{
    std::lock_guard lock(g_stateMutex);
    if (!g_state)
        g_state = std::make_shared<State>();
    return g_state;
}

std::shared_ptr<State> install(std::shared_ptr<State> state)
{
    std::lock_guard lock(g_stateMutex);
    return std::exchange(g_state, std::move(state));
}

std::string appKey()
{
    const auto s = state();
    return locked(*s, s->appKey);
}

void setAppKey(std::string key)
{
    const auto s = state();
    assign(*s, s->appKey, std::move(key));
}

std::string ingestKey()
{
    const auto s = state();
    return locked(*s, s->ingestKey);
}

void setIngestKey(std::string key)
{
    const auto s = state();
    assign(*s, s->ingestKey, std::move(key));
}

bool snapshotAttachedByDefault()
{
    const auto s = state();
    return locked(*s, s->snapshotAttachedByDefault);
}

void setSnapshotAttachedByDefault(bool attached)
{
    const auto s = state();
    assign(*s, s->snapshotAttachedByDefault, attached);
}

std::string productName()
{
    return state()->productName.get();
}

void setProductName(std::string name)
{
    state()->productName.set(std::move(name));
}

std::string contactEmail()
{
    return state()->contactEmail.get();
}

void setContactEmail(std::string email)
{
    state()->contactEmail.set(std::move(email));
}

std::optional<SrgbColor> accentColor()
{
    return state()->accentColor.get();
}

void setAccentColor(std::optional<SrgbColor> color)
{
    state()->accentColor.set(color);
}

std::string version()
{
    return state()->version.get();
}

std::string build()
{
    return state()->build.get();
}

std::string resolveContactEmail(const UserDefaults& store, const std::optional<std::vector<std::string>>& keys)
{
    const std::vector<std::string> names = keys.value_or(std::vector<std::string>(kContactEmailDefaultsKeys.begin(), kContactEmailDefaultsKeys.end()));
    for (const std::string& key : names) {
        const std::string value = store.string(key).value_or("");
        const std::string_view trimmed = trimWhitespaceAndNewlines(value);
        if (looksLikeAddress(trimmed))
            return std::string(trimmed);
    }
    return "";
}

}
