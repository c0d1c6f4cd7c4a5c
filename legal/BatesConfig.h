#pragma once

#include "legal/BatesPosition.h"

#include <cstdint>
#include <string>

namespace ikw::legal {

// The settings of one Bates numbering run.
struct BatesConfig {
    std::string prefix = "ABC";
    std::int64_t start = 1;
    std::int64_t pad = 6;          // minimum digits; below 1 counts as 1 in labels
    BatesPosition position = BatesPosition::bottomRight;
    double fontSize = 10;          // points
    double margin = 24;            // points from the page edges
    bool nameByBates = true;       // name copies after their first label rather than their source
    bool halo = true;              // light outline behind the label

    // The prefix and the number, zero-padded to `pad` digits (a wider number is printed whole).
    std::string label(std::int64_t number) const;
    // First 8 hex digits of the SHA-256 of the look-and-naming settings; `start` and `halo` are
    // left out, so runs that differ only in their numbers share a hash.
    std::string settingsHash() const;

    bool operator==(const BatesConfig&) const = default;
};

// Points as the hash and the manifest record them: truncated toward zero. Values that are not
// finite or do not fit count as 0 or the nearest bound instead of being undefined.
std::int64_t wholePoints(double points);

}
