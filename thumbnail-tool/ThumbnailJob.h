#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ikw::thumbnail {

// Points of the square when a job gives no readable size.
inline constexpr double kDefaultSize = 512;
// There is no screen to ask: thumbnails are made at twice their size in points.
inline constexpr double kScale = 2.0;
// Larger pixel edges are refused rather than rendered.
inline constexpr int kMaxPixelEdge = 4096;

struct ThumbnailJob {
    std::string source;
    std::string output;
    double size = kDefaultSize; // edge of the square, in points

    // round(size x scale), the longer edge of the thumbnail in pixels, at least 1; nothing when it
    // would exceed kMaxPixelEdge. Checked on the unrounded value, so no size is too large to judge.
    std::optional<int> pixelEdge() const;
};

// One input line: source, tab, output, optionally tab and size; further fields are ignored.
// Nothing for a line with fewer than two fields. A size that is not wholly a number, or not a
// finite number above zero, counts as unreadable.
std::optional<ThumbnailJob> parseJobLine(std::string_view line);

}
