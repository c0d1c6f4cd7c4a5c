#include "thumbnail-tool/ThumbnailJob.h"

#include "platform/core/Text.h"

#include <algorithm>
#include <cmath>

namespace ikw::thumbnail {

std::optional<int> ThumbnailJob::pixelEdge() const
{
    const double pixels = size * kScale;
    if (!std::isfinite(pixels) || !(pixels < kMaxPixelEdge + 0.5))
        return std::nullopt;
    return std::max(1, static_cast<int>(std::lround(pixels)));
}

std::optional<ThumbnailJob> parseJobLine(std::string_view line)
{
    const auto fields = split(line, '\t');
    if (fields.size() < 2)
        return std::nullopt;
    ThumbnailJob job { fields[0], fields[1], kDefaultSize };
    if (fields.size() >= 3) {
        if (const auto size = parseDouble(fields[2]); size && std::isfinite(*size) && *size > 0)
            job.size = *size;
    }
    return job;
}

}
