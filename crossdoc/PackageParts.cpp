#include "crossdoc/PackageParts.h"

#include "platform/core/PackagePart.h"

namespace ikw::crossdoc {

bool parsePackagePart(const ZipArchive& archive, std::string_view name, std::uint64_t maxBytes, XmlSaxHandler& handler)
{
    const PartStatus status = ikw::parsePackagePart(archive, name, maxBytes, handler);
    return status != PartStatus::Missing && status != PartStatus::TooLarge;
}

}
