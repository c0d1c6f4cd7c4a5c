#pragma once

#include <string_view>

namespace ikw::IkwNight {

// The source texts of the place tables, generated from the IANA time zone database by
// scripts/gen-tz-tables.py. Entries are separated by ";".
// Zones: "Identifier=latitude,longitude" in decimal degrees (north and east positive).
extern const std::string_view kZoneTableText;
// Aliases: "RetiredOrLinkedIdentifier=CanonicalIdentifier"; every target is a zone of the zone table.
extern const std::string_view kAliasTableText;

}
