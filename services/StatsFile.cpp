#include "services/StatsFile.h"

#include "platform/core/Json.h"
#include "services/StatsCatalog.h"

#include <algorithm>
#include <limits>
#include <optional>

namespace ikw::services {

namespace {

constexpr int schemaVersion = 2;

std::optional<std::int64_t> integerValue(const Json& value)
{
    if (value.is_number_unsigned()) {
        const auto number = value.get<std::uint64_t>();
        if (number > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()))
            return std::nullopt;
        return static_cast<std::int64_t>(number);
    }
    if (value.is_number_integer())
        return value.get<std::int64_t>();
    return std::nullopt;
}

std::optional<std::int64_t> integerMember(const Json& object, const char* key)
{
    const auto found = object.find(key);
    return found == object.end() ? std::nullopt : integerValue(*found);
}

std::optional<UnixTime> timeMember(const Json& object, const char* key)
{
    const auto found = object.find(key);
    if (found == object.end() || !found->is_number())
        return std::nullopt;
    return found->get<UnixTime>();
}

bool isObjectOfObjects(const Json& value)
{
    return value.is_object() && std::all_of(value.begin(), value.end(), [](const Json& member) { return member.is_object(); });
}

void loadFeatures(const Json& features, UnixTime loadTime, StatsCounters& counters)
{
    for (const auto& [id, entry] : features.items()) {
        if (!Stats::isKnownFeature(id))
            continue;
        const std::optional<std::int64_t> n = integerMember(entry, "n");
        if (!n)
            continue;
        const UnixTime first = timeMember(entry, "first").value_or(loadTime);
        const UnixTime last = timeMember(entry, "last").value_or(first);
        counters.features[id] = FeatureUse { *n, first, last };
    }
}

// Splits once at '.', skipping empty pieces before the split: ".share.invoked" gives "share" and
// "invoked", "share.invoked.x" gives "share" and "invoked.x".
std::vector<std::string_view> splitFunnelKey(std::string_view key)
{
    std::vector<std::string_view> pieces;
    std::size_t start = 0;
    for (std::size_t i = 0; i < key.size() && pieces.empty(); ++i) {
        if (key[i] != '.')
            continue;
        if (i > start)
            pieces.push_back(key.substr(start, i - start));
        start = i + 1;
    }
    if (start < key.size())
        pieces.push_back(key.substr(start));
    return pieces;
}

void loadFunnels(const Json& file, StatsCounters& counters)
{
    const auto funnels = file.find("funnels");
    if (funnels == file.end() || !funnels->is_object())
        return;
    std::map<std::string, std::int64_t> loaded;
    for (const auto& [key, value] : funnels->items()) {
        const std::optional<std::int64_t> count = integerValue(value);
        if (!count)
            return; // one bad member and none is taken
        const auto pieces = splitFunnelKey(key);
        if (pieces.size() == 2 && Stats::isKnownStep(pieces[0], pieces[1]))
            loaded[key] = *count; // under the key as read, leading dot and all
    }
    counters.funnels = std::move(loaded);
}

std::vector<std::string> lastDays(const Json& activity)
{
    const auto days = activity.find("days");
    if (days == activity.end() || !days->is_array())
        return {};
    if (!std::all_of(days->begin(), days->end(), [](const Json& day) { return day.is_string(); }))
        return {};
    const std::size_t skipped = days->size() - std::min(days->size(), StatsCounters::activeDayWindow);
    std::vector<std::string> kept;
    for (auto day = days->begin() + static_cast<std::ptrdiff_t>(skipped); day != days->end(); ++day)
        kept.push_back(day->get<std::string>());
    return kept;
}

void loadActivity(const Json& file, StatsCounters& counters)
{
    const auto activity = file.find("activity");
    if (activity == file.end() || !activity->is_object())
        return;
    counters.launches = integerMember(*activity, "launches").value_or(0);
    counters.days = lastDays(*activity);
}

}

StatsCounters parseStatsFile(std::string_view text, UnixTime loadTime)
{
    const std::optional<Json> file = parseJson(text);
    if (!file || !file->is_object())
        return {};
    const auto features = file->find("features");
    if (features == file->end() || !isObjectOfObjects(*features))
        return {};

    StatsCounters counters;
    loadFeatures(*features, loadTime, counters);
    loadFunnels(*file, counters);
    loadActivity(*file, counters);
    return counters;
}

std::string statsFileText(const StatsCounters& counters, std::string_view appKey, UnixTime updated)
{
    Json features = Json::object();
    for (const auto& [id, use] : counters.features)
        features[id] = { { "n", use.n }, { "first", use.first }, { "last", use.last } };
    Json funnels = Json::object();
    for (const auto& [key, count] : counters.funnels)
        funnels[key] = count;

    const Json file {
        { "app", appKey },
        { "schema", schemaVersion },
        { "updated", updated },
        { "features", std::move(features) },
        { "funnels", std::move(funnels) },
        { "activity", { { "launches", counters.launches }, { "days", counters.days } } },
    };
    return toPrettyJson(file);
}

}
