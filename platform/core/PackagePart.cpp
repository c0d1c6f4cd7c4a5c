#include "platform/core/PackagePart.h"

#include "platform/core/XmlPushParser.h"
#include "platform/core/ZipArchive.h"

namespace ikw {

namespace {

// Passes the events on and notes a document type declaration.
class DocumentTypeWatch final : public XmlSaxHandler {
public:
    explicit DocumentTypeWatch(XmlSaxHandler& handler) : m_handler(handler) { }

    void startElement(std::string_view name, const XmlAttributes& attributes) override { m_handler.startElement(name, attributes); }
    void endElement(std::string_view name) override { m_handler.endElement(name); }
    void characters(std::string_view text) override { m_handler.characters(text); }
    void documentType(std::string_view) override { declared = true; }

    bool declared = false;

private:
    XmlSaxHandler& m_handler;
};

}

PartStatus parsePackagePart(const ZipArchive& archive, std::string_view name, std::uint64_t maxBytes, XmlSaxHandler& handler)
{
    DocumentTypeWatch watch(handler);
    XmlPushParser parser(watch);
    const ZipReadStatus status = archive.readMember(name, maxBytes, [&](std::string_view piece) { parser.feed(piece); });
    switch (status) {
    case ZipReadStatus::Missing:
        return PartStatus::Missing;
    case ZipReadStatus::TooLarge:
        return PartStatus::TooLarge;
    case ZipReadStatus::Damaged:
        return PartStatus::Damaged;
    case ZipReadStatus::Read:
        break;
    }
    const bool wellFormed = parser.finish();
    if (watch.declared)
        return PartStatus::WithDocumentType;
    return wellFormed ? PartStatus::Read : PartStatus::Malformed;
}

}
