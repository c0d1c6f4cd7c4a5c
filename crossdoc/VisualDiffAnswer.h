#pragma once

#include "crossdoc/PageCells.h"
#include "platform/core/Json.h"

#include <optional>
#include <string>

namespace ikw::crossdoc {

// What the visual-diff page shows for a file that is not a readable PDF.
inline constexpr const char* kUnopenablePdfMessage = "This PDF could not be opened.";

struct VisualDiffSettings {
    double scale = 1.5;
    CellRule cells {};
};

// One answer of the visual-diff page: page `pageIndex` (0-based) of both documents rendered, as
// PNG Base64 in `a` and `b`, compared cell by cell, with the changed fraction in `frac` and B's
// picture with its changed cells tinted in `overlay`. A page only one side has is `added` or
// `removed` with `frac` 1 and that side's picture as the overlay. A document that does not open
// gives {"page", "error"}; a page outside both documents gives no answer. Opens, renders and
// forgets: any thread may call it.
std::optional<Json> visualDiffPage(const std::string& pathA, const std::string& pathB, long long pageIndex,
    const VisualDiffSettings& settings = {});

// An RGB picture as the Base64 text of a PNG; none when it cannot be encoded. The diff's one way to
// encode, so that its encoder can change in one place.
std::optional<std::string> pngBase64(const pdf::PageImage& image);

}
