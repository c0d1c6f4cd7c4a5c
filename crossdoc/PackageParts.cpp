#include "crossdoc/PackageParts.h"

#include "platform/core/XmlPushParser.h"
#include "platform/core/ZipArchive.h"

namespace ikw::crossdoc {

bool parsePackagePart(const ZipArchive& archive, std::string_view name, std::uint64_t maxBytes, XmlSaxHandler& handler)
{
    XmlPushParser parser(handler);
    const ZipReadStatus status = archive.readMember(name, maxBytes, [&](std::string_view piece) { parser.feed(piece); });
    if (status == ZipReadStatus::Missing || status == ZipReadStatus::TooLarge)
        return false;
    parser.finish();
    return true;
}

}
