#pragma once

#include "platform/imaging/thumbnails/images/Pixbuf.h"

#include <string>

namespace ikw::thumbnail {

// A PNG decoded one row at a time and averaged into the size that fits the square as it goes, so
// that memory grows with the thumbnail, not with the image: a 12000 x 12000 PNG costs a few rows.
struct PngRowResult {
    enum class Status {
        Decoded,
        NotStreamable, // interlaced: its rows only come whole after the last pass
        Failed,        // not a PNG, damaged, or unreadable
    };
    Status status = Status::Failed;
    Pixbuf image;
};

PngRowResult decodePngFitted(const std::string& path, int pixelEdge);

}
