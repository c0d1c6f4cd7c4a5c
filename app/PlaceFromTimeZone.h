#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace ikw::IkwNight {

struct Place {
    double lat = 0;
    double lon = 0;
    std::string label;
};

struct Coordinates {
    double lat = 0;
    double lon = 0;
};

using ZoneTable = std::map<std::string, Coordinates, std::less<>>;
using AliasTable = std::map<std::string, std::string, std::less<>>;

// The built-in tables, read from their texts once on first use (thread-safe) and read-only after.
const ZoneTable& zoneTable();
const AliasTable& aliasTable();

// Readers of the table texts: entries separated by ";", key and value by "="; malformed entries
// are skipped and a later entry replaces an earlier one with the same key.
ZoneTable parseZoneTable(std::string_view text);
AliasTable parseAliasTable(std::string_view text);

// The principal location of a zone identifier, through at most one alias step. Exact and
// case-sensitive: an unknown identifier gives nothing rather than a guess, and the UTC family has
// no place.
std::optional<Place> placeFromTimeZone(std::string_view identifier);
std::optional<Place> placeFromTimeZone();

// The machine's zone identifier: TZ (without a leading ":") when set, else /etc/timezone, else the
// target of /etc/localtime below the zoneinfo folder. Empty when none of them tells.
std::string currentTimeZoneIdentifier();

// The choice above, given what each source holds (absent when the source is missing).
std::string timeZoneIdentifierFrom(std::optional<std::string_view> tzVariable,
    std::optional<std::string_view> etcTimezone, std::optional<std::string_view> localtimeTarget);

}
