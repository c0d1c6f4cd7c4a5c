#include "app/PlaceFromTimeZone.h"

#include "app/TimeZoneTables.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Text.h"

#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace ikw::IkwNight {

namespace {

// Each ";"-separated entry split at "=", both sides non-empty.
template<typename Visit>
void forEachEntry(std::string_view text, Visit visit)
{
    for (const auto& entry : split(text, ';', false)) {
        const auto parts = split(entry, '=', false);
        if (parts.size() == 2)
            visit(parts[0], parts[1]);
    }
}

std::string labelOf(std::string_view identifier)
{
    const auto components = split(identifier, '/', false);
    std::string label = components.empty() ? std::string(identifier) : components.back();
    std::replace(label.begin(), label.end(), '_', ' ');
    return label;
}

// The part of a zoneinfo path below the zoneinfo folder; other text as it is.
std::string_view belowZoneinfo(std::string_view path)
{
    constexpr std::string_view marker = "zoneinfo/";
    const auto at = path.rfind(marker);
    return at == std::string_view::npos ? path : path.substr(at + marker.size());
}

std::optional<std::string> symlinkTarget(const char* path)
{
    char buffer[PATH_MAX];
    const auto length = ::readlink(path, buffer, sizeof buffer);
    if (length <= 0)
        return std::nullopt;
    return std::string(buffer, static_cast<std::size_t>(length));
}

}

ZoneTable parseZoneTable(std::string_view text)
{
    ZoneTable table;
    forEachEntry(text, [&](const std::string& key, const std::string& value) {
        const auto numbers = split(value, ',', false);
        if (numbers.size() != 2)
            return;
        const auto lat = parseDouble(numbers[0]);
        const auto lon = parseDouble(numbers[1]);
        if (lat && lon)
            table.insert_or_assign(key, Coordinates { *lat, *lon });
    });
    return table;
}

AliasTable parseAliasTable(std::string_view text)
{
    AliasTable table;
    forEachEntry(text, [&](const std::string& key, const std::string& value) { table.insert_or_assign(key, value); });
    return table;
}

const ZoneTable& zoneTable()
{
    static const ZoneTable table = parseZoneTable(kZoneTableText);
    return table;
}

const AliasTable& aliasTable()
{
    static const AliasTable table = parseAliasTable(kAliasTableText);
    return table;
}

std::optional<Place> placeFromTimeZone(std::string_view identifier)
{
    const auto& zones = zoneTable();
    std::string_view canonical = identifier;
    if (!zones.contains(canonical)) {
        if (const auto alias = aliasTable().find(canonical); alias != aliasTable().end())
            canonical = alias->second;
    }
    const auto zone = zones.find(canonical);
    if (zone == zones.end())
        return std::nullopt;
    return Place { zone->second.lat, zone->second.lon, labelOf(canonical) };
}

std::optional<Place> placeFromTimeZone()
{
    return placeFromTimeZone(currentTimeZoneIdentifier());
}

std::string timeZoneIdentifierFrom(std::optional<std::string_view> tzVariable,
    std::optional<std::string_view> etcTimezone, std::optional<std::string_view> localtimeTarget)
{
    if (tzVariable) {
        auto value = *tzVariable;
        if (value.starts_with(':'))
            value.remove_prefix(1);
        return std::string(belowZoneinfo(value));
    }
    if (etcTimezone) {
        if (const auto name = trim(*etcTimezone); !name.empty())
            return std::string(name);
    }
    if (localtimeTarget && localtimeTarget->find("zoneinfo/") != std::string_view::npos)
        return std::string(belowZoneinfo(*localtimeTarget));
    return {};
}

std::string currentTimeZoneIdentifier()
{
    if (const char* tz = std::getenv("TZ"))
        return timeZoneIdentifierFrom(tz, std::nullopt, std::nullopt);
    const auto etcTimezone = realFileSystem().readFile("/etc/timezone");
    const auto localtimeTarget = symlinkTarget("/etc/localtime");
    return timeZoneIdentifierFrom(std::nullopt,
        etcTimezone ? std::optional<std::string_view>(*etcTimezone) : std::nullopt,
        localtimeTarget ? std::optional<std::string_view>(*localtimeTarget) : std::nullopt);
}

}
