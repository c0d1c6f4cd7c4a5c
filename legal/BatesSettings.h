#pragma once

#include "legal/BatesConfig.h"
#include "platform/core/Json.h"

#include <optional>
#include <string>
#include <string_view>

// The numbering settings a production page sends, read into a run's configuration.
namespace ikw::legal {

inline constexpr std::string_view emptyPrefixMessage = "Enter a prefix for the production.";
inline constexpr std::string_view settingsOutOfRangeMessage =
    "Check the numbering settings: start 0 to 2147483647, at most 12 digits, font size 4 to 72.";

inline constexpr std::int64_t maxPadDigits = 12;
inline constexpr double minFontSize = 4;
inline constexpr double maxFontSize = 72;

struct PageBatesSettings {
    BatesConfig config;
    // Why the settings cannot be used; the configuration is not to be stamped with then.
    std::optional<std::string> problem;
};

// Every key is optional and one of another JSON type counts as missing (a numeric string is not
// a number): `prefix` (trimmed, "ABC"), `start` (integer part; true and false are 1 and 0; 1),
// `pad` (integer part, below 1 counts as 1; 6), `position` (a raw value; bottom right),
// `fontSize` (10), `nameByBates` (a Boolean or a number, non-zero is true; true). The margin is
// always 24 and the halo always on. A prefix left empty, or a start, pad or font size outside
// its bounds, is a problem rather than a value that could overflow or draw an unreadable label.
PageBatesSettings readBatesSettings(const Json& settings);

}
