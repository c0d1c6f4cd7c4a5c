#include "finder/DefaultAskSchedule.h"

#include "platform/core/Iso8601.h"

#include <optional>

namespace ikw::finder {

namespace {

// Only text that reads as a UTC date is one; a number or any other text counts as no date.
std::optional<std::time_t> nextAskAt(const UserDefaults& defaults)
{
    const auto text = defaults.string(kDefaultNextAskAtKey);
    return text ? parseIso8601Utc(*text) : std::nullopt;
}

}

bool defaultAskDue(UserDefaults& defaults, std::time_t now, const std::function<bool()>& everythingOurs)
{
    if (defaults.boolean(kDefaultNeverAskKey).value_or(false))
        return false;
    if (everythingOurs && everythingOurs())
        return false;
    if (const auto date = nextAskAt(defaults))
        return now >= *date;
    if (!defaults.boolean(kDefaultPdfOfferedKey).value_or(false))
        return true;
    snoozeDefaultAsk(defaults, now);
    return false;
}

void snoozeDefaultAsk(UserDefaults& defaults, std::time_t now)
{
    defaults.set(kDefaultNextAskAtKey, iso8601Utc(now + kDefaultAskSnoozeSeconds));
}

void neverAskDefault(UserDefaults& defaults)
{
    defaults.set(kDefaultNeverAskKey, true);
}

}
