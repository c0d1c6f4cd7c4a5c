#pragma once

#include "legal/BatesConfig.h"

#include "platform/pdf/Geometry.h"
#include "platform/pdf/PageDrawingWriter.h"

#include <cstdint>
#include <string>
#include <string_view>

// One Bates-numbered copy: each page drawn anew with its label.
namespace ikw::legal::BatesStamper {

// Writes the copy of the PDF or image at `source` to `output`, numbering its pages from
// `startNumber`. Returns the pages written; 0 when the source cannot be read (not a regular file,
// damaged, locked by a password, no pages, no pixels) or the copy cannot be written whole. Pages
// whose size cannot be read or is not above 0 are left out and take no number. Whatever is at
// `output` after a failure is the caller's to remove.
std::int64_t stampFile(const std::string& source, const std::string& output, const BatesConfig& config,
    std::int64_t startNumber);

// The label on the current page of `box`: the halo's copies first, then the ink over them.
bool drawStamp(pdf::PageDrawingWriter& writer, std::string_view label, pdf::Size box, const BatesConfig& config);

}
