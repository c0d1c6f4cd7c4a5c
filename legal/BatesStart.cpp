#include "legal/BatesStart.h"

#include <algorithm>
#include <limits>

namespace ikw::legal::BatesStamper {

namespace {

constexpr std::string_view enDash = "\u2013";

RunStart refuse(std::string message, bool collision)
{
    return { std::nullopt, std::move(message), collision };
}

// One past `number`, without overflowing on a hand-edited manifest.
std::int64_t after(std::int64_t number)
{
    return number == std::numeric_limits<std::int64_t>::max() ? number : number + 1;
}

std::string rangeText(const BatesConfig& config, std::int64_t begin, std::int64_t end)
{
    return config.label(begin) + std::string(enDash) + config.label(end);
}

const AssignedRange* rangeHolding(const Manifest& manifest, std::int64_t number)
{
    const auto found = std::ranges::find_if(manifest.assigned,
        [number](const AssignedRange& range) { return range.begin <= number && number <= range.end; });
    return found == manifest.assigned.end() ? nullptr : &*found;
}

// Of the ranges that meet [first, last], the one the run would reach first.
const AssignedRange* lowestRangeMeeting(const Manifest& manifest, std::int64_t first, std::int64_t last)
{
    const AssignedRange* lowest = nullptr;
    for (const AssignedRange& range : manifest.assigned) {
        if (range.begin <= last && first <= range.end && (!lowest || range.begin < lowest->begin))
            lowest = &range;
    }
    return lowest;
}

}

RunStart chooseRunStart(const LoadedManifest& loaded, const BatesConfig& config,
    std::optional<std::int64_t> explicitStart, std::int64_t pageBound)
{
    if (loaded.status == ManifestStatus::unreadable)
        return refuse(std::string(unreadableManifestMessage), false);

    const Manifest& manifest = loaded.manifest;
    const std::optional<std::int64_t> greatestEnd = greatestAssignedEnd(manifest);
    std::int64_t start = explicitStart.value_or(config.start);
    if (!explicitStart && greatestEnd)
        start = std::max(start, after(*greatestEnd));

    const auto suggestion = [&] { return ". Start at " + config.label(after(greatestEnd.value_or(0))) + " or later."; };

    if (start > maxBatesNumber)
        return refuse(std::string(numberLimitMessage), false);
    if (const AssignedRange* held = rangeHolding(manifest, start)) {
        return refuse("Bates " + config.label(start) + " is already assigned (" + rangeText(config, held->begin, held->end)
                + ")" + suggestion(),
            true);
    }

    // A run with no new pages still spans its start number.
    const std::int64_t lastOffset = std::max<std::int64_t>(pageBound, 1) - 1;
    if (start > maxBatesNumber - lastOffset)
        return refuse(std::string(numberLimitMessage), false);
    const std::int64_t last = start + lastOffset;

    if (const AssignedRange* met = lowestRangeMeeting(manifest, start, last)) {
        return refuse("Bates " + rangeText(config, start, last) + " would run into " + rangeText(config, met->begin, met->end)
                + suggestion(),
            true);
    }
    return { start, {}, false };
}

}
