#include "legal/BatesSettings.h"

#include "legal/BatesStart.h"
#include "platform/core/TextMetrics.h"

#include <cmath>

namespace ikw::legal {

namespace {

const Json* member(const Json& settings, const char* key)
{
    const auto found = settings.find(key);
    return found == settings.end() ? nullptr : &*found;
}

// A JSON number (never a Boolean, never text) as a double.
std::optional<double> numberOf(const Json* value)
{
    if (!value || !value->is_number())
        return std::nullopt;
    return value->get<double>();
}

std::string prefixOf(const Json* value)
{
    if (!value || !value->is_string())
        return BatesConfig {}.prefix;
    return std::string(trimWhitespaceAndNewlines(value->get_ref<const std::string&>()));
}

// The integer part, kept as a double until it is known to fit.
double startOf(const Json* value)
{
    if (value && value->is_boolean())
        return value->get<bool>() ? 1.0 : 0.0;
    if (const auto number = numberOf(value))
        return std::trunc(*number);
    return static_cast<double>(BatesConfig {}.start);
}

bool nameByBatesOf(const Json* value)
{
    if (value && value->is_boolean())
        return value->get<bool>();
    if (const auto number = numberOf(value))
        return *number != 0;
    return BatesConfig {}.nameByBates;
}

BatesPosition positionOf(const Json* value)
{
    if (!value || !value->is_string())
        return BatesPosition::bottomRight;
    return batesPositionFromRawValue(value->get_ref<const std::string&>()).value_or(BatesPosition::bottomRight);
}

}

PageBatesSettings readBatesSettings(const Json& settings)
{
    PageBatesSettings read;
    BatesConfig& config = read.config;
    config.prefix = prefixOf(member(settings, "prefix"));
    config.position = positionOf(member(settings, "position"));
    config.nameByBates = nameByBatesOf(member(settings, "nameByBates"));
    if (config.prefix.empty()) {
        read.problem = emptyPrefixMessage;
        return read;
    }

    const double start = startOf(member(settings, "start"));
    const double pad = std::trunc(numberOf(member(settings, "pad")).value_or(static_cast<double>(config.pad)));
    const double fontSize = numberOf(member(settings, "fontSize")).value_or(config.fontSize);
    const bool inBounds = start >= 0 && start <= static_cast<double>(BatesStamper::maxBatesNumber)
        && pad <= static_cast<double>(maxPadDigits) && fontSize >= minFontSize && fontSize <= maxFontSize;
    if (!inBounds) {
        read.problem = settingsOutOfRangeMessage;
        return read;
    }
    // Every value is known to fit now.
    config.start = static_cast<std::int64_t>(start);
    config.pad = pad < 1 ? 1 : static_cast<std::int64_t>(pad);
    config.fontSize = fontSize;
    return read;
}

}
