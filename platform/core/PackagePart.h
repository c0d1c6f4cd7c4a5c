#pragma once

#include <cstdint>
#include <string_view>

namespace ikw {

class XmlSaxHandler;
class ZipArchive;

enum class PartStatus {
    Read,
    Missing,
    TooLarge,  // declares or inflates to more than the bound
    Damaged,   // its compressed data breaks off or fails its check
    Malformed, // not well-formed XML
    WithDocumentType, // a <!DOCTYPE>, which package parts never have
};

// Runs one XML part of a zip package (.docx, .xlsx) through the handler, fed in pieces straight
// from the archive. Only Read means the handler heard the whole part.
PartStatus parsePackagePart(const ZipArchive& archive, std::string_view name, std::uint64_t maxBytes, XmlSaxHandler& handler);

}
