#include "services/OakrunePairing.h"

#include "platform/core/Iso8601.h"

#include <array>
#include <cstdio>

namespace ikw::services {

namespace {

// "yyyy-MM-ddTHH:mm:ssZ" and nothing else: the reader of stored times also takes fractions.
bool isStampForm(std::string_view text)
{
    constexpr std::string_view form = "dddd-dd-ddTdd:dd:ddZ";
    if (text.size() != form.size())
        return false;
    for (std::size_t i = 0; i < form.size(); ++i) {
        const bool matches = form[i] == 'd' ? text[i] >= '0' && text[i] <= '9' : text[i] == form[i];
        if (!matches)
            return false;
    }
    return true;
}

// "3:05pm" in local time; with `withDate`, "Mar 5 at 3:05pm".
std::string localClockText(std::time_t moment, bool withDate)
{
    static constexpr std::array<const char*, 12> months { "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug",
        "Sep", "Oct", "Nov", "Dec" };
    std::tm local {};
    ::localtime_r(&moment, &local);
    const int hour = local.tm_hour % 12 == 0 ? 12 : local.tm_hour % 12;
    char text[64];
    if (withDate)
        std::snprintf(text, sizeof text, "%s %d at %d:%02d%s", months[static_cast<std::size_t>(local.tm_mon)], local.tm_mday,
            hour, local.tm_min, local.tm_hour < 12 ? "am" : "pm");
    else
        std::snprintf(text, sizeof text, "%d:%02d%s", hour, local.tm_min, local.tm_hour < 12 ? "am" : "pm");
    return text;
}

}

std::string OakrunePairing::stamp(std::time_t now)
{
    return iso8601Utc(now);
}

std::string OakrunePairing::humanStamp(const std::optional<std::string>& stamp, std::time_t now)
{
    if (!stamp || !isStampForm(*stamp))
        return "";
    const std::optional<std::time_t> moment = parseIso8601Utc(*stamp);
    if (!moment)
        return "";
    const double elapsed = std::difftime(now, *moment);
    if (elapsed < 60)
        return "just now";
    if (elapsed < 3600) {
        const long minutes = static_cast<long>(elapsed / 60);
        return std::to_string(minutes) + (minutes == 1 ? " minute ago" : " minutes ago");
    }
    if (elapsed < 86400)
        return "at " + localClockText(*moment, false);
    return "on " + localClockText(*moment, true);
}

}
