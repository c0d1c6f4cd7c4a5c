#pragma once

#include <cstdint>
#include <string_view>

namespace ikw {
class XmlSaxHandler;
class ZipArchive;
}

namespace ikw::crossdoc {

// Runs one XML part of a zip package (.docx, .xlsx) through the handler, fed in pieces straight
// from the archive. False when the part is missing or larger than `maxBytes`: the handler's
// findings are then to be dropped, as if the part were not there. A malformed or damaged part
// counts as read, as far as it went.
bool parsePackagePart(const ZipArchive& archive, std::string_view name, std::uint64_t maxBytes, XmlSaxHandler& handler);

}
