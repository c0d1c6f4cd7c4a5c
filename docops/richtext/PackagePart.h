#pragma once

#include "docops/richtext/CodecResult.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace ikw {
class XmlSaxHandler;
class ZipArchive;
}

namespace ikw::richtext {

enum class PartStatus {
    Read,
    Missing,
    TooLarge,  // declares or inflates to more than the bound
    Damaged,   // its compressed data breaks off or fails its check
    Malformed, // not well-formed XML
    WithDocumentType, // a <!DOCTYPE>, which package parts never have
};

// Runs one XML part of the package through the handler, fed in pieces straight from the
// archive. Only Read means the handler heard the whole part.
PartStatus parsePackagePart(const ZipArchive& archive, std::string_view name, std::uint64_t maxBytes, XmlSaxHandler& handler);

// The message for a part that was not Read, naming the part and the bound it broke.
Failure partFailure(std::string_view name, PartStatus status, std::uint64_t maxBytes);

}
