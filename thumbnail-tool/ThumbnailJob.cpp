#include "thumbnail-tool/ThumbnailJob.h"

#include "platform/core/Text.h"

#include <cmath>

namespace ikw::thumbnail {

long long ThumbnailJob::pixelEdge() const
{
    return std::llround(size * kScale);
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
