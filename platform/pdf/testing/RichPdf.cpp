#include "platform/pdf/testing/RichPdf.h"

#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFFormFieldObjectHelper.hh>
#include <qpdf/QPDFNameTreeObjectHelper.hh>
#include <qpdf/QPDFOutlineDocumentHelper.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageLabelDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <algorithm>

namespace ikw::pdf::testing {

namespace {

using Handle = QPDFObjectHandle;

Handle parse(const std::string& text)
{
    return Handle::parse(text);
}

Handle name(const std::string& value)
{
    return Handle::newName(value);
}

Handle fitDestination(Handle page)
{
    return Handle::newArray({ page, name("/Fit") });
}

Handle rect(double x0, double y0, double x1, double y1)
{
    return Handle::newArray(Handle::Rectangle(x0, y0, x1, y1));
}

Handle addPage(QPDF& document, Handle font, int number, bool blank)
{
    Handle page = Handle::newDictionary();
    page.replaceKey("/Type", name("/Page"));
    page.replaceKey("/MediaBox", rect(0, 0, 612, 792));
    Handle fonts = Handle::newDictionary();
    fonts.replaceKey("/F1", font);
    Handle resources = Handle::newDictionary();
    resources.replaceKey("/Font", fonts);
    page.replaceKey("/Resources", resources);
    page.replaceKey("/Contents", Handle::newStream(&document, blank ? "" : "BT /F1 24 Tf 72 700 Td (Page " + std::to_string(number) + ") Tj ET\n"));
    Handle indirect = document.makeIndirectObject(page);
    QPDFPageDocumentHelper(document).addPage(QPDFPageObjectHelper(indirect), false);
    return document.getAllPages().back();
}

// Smooth shading with fine grain, as photographs have: Flate stores it poorly, JPEG well.
void addImage(QPDF& document, Handle page, int side = 1000, int drawnPoints = 200)
{
    std::string pixels(static_cast<std::size_t>(side) * side * 3, '\0');
    unsigned state = 12345;
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            state = state * 1103515245u + 12345u;
            const int grain = static_cast<int>((state >> 16) % 24);
            const std::size_t at = (static_cast<std::size_t>(y) * side + static_cast<std::size_t>(x)) * 3;
            pixels[at] = static_cast<char>((x * 200 / side) + grain);
            pixels[at + 1] = static_cast<char>((y * 200 / side) + grain);
            pixels[at + 2] = static_cast<char>(((x + y) * 100 / side) + grain);
        }
    }
    Handle image = Handle::newStream(&document, pixels);
    image.getDict().replaceKey("/Type", name("/XObject"));
    image.getDict().replaceKey("/Subtype", name("/Image"));
    image.getDict().replaceKey("/Width", Handle::newInteger(side));
    image.getDict().replaceKey("/Height", Handle::newInteger(side));
    image.getDict().replaceKey("/ColorSpace", name("/DeviceRGB"));
    image.getDict().replaceKey("/BitsPerComponent", Handle::newInteger(8));
    Handle xobjects = Handle::newDictionary();
    xobjects.replaceKey("/Im1", image);
    page.getKey("/Resources").replaceKey("/XObject", xobjects);
    const std::string size = std::to_string(drawnPoints);
    page.addPageContents(Handle::newStream(&document, "q " + size + " 0 0 " + size + " 100 300 cm /Im1 Do Q\n"), false);
}

void addAnnotation(Handle page, Handle annotation)
{
    Handle annotations = page.getKey("/Annots");
    if (!annotations.isArray()) {
        annotations = Handle::newArray();
        page.replaceKey("/Annots", annotations);
    }
    annotations.appendItem(annotation);
}

// Outline items under `parent`, linked in order.
void linkOutline(Handle parent, const std::vector<Handle>& items)
{
    parent.replaceKey("/First", items.front());
    parent.replaceKey("/Last", items.back());
    for (std::size_t index = 0; index < items.size(); ++index) {
        Handle item = items[index];
        item.replaceKey("/Parent", parent);
        if (index > 0)
            item.replaceKey("/Prev", items[index - 1]);
        if (index + 1 < items.size())
            item.replaceKey("/Next", items[index + 1]);
    }
}

Handle outlineItem(QPDF& document, const std::string& title, const std::string& key, Handle destination)
{
    Handle item = Handle::newDictionary();
    item.replaceKey("/Title", Handle::newUnicodeString(title));
    item.replaceKey(key, destination);
    return document.makeIndirectObject(item);
}

void addOutline(QPDF& document, const std::vector<Handle>& pages)
{
    Handle root = document.makeIndirectObject(parse("<< /Type /Outlines >>"));
    Handle chapter1 = outlineItem(document, "Chapter 1", "/Dest", fitDestination(pages[0]));
    Handle section11 = outlineItem(document, "Section 1.1", "/Dest", fitDestination(pages[1]));
    Handle section12 = outlineItem(document, "Section 1.2", "/Dest", Handle::newString("sec12"));
    Handle chapter2 = outlineItem(document, "Chapter 2", "/A", parse("<< /S /GoTo /D (chapter2) >>"));
    Handle appendix = outlineItem(document, "Appendix", "/Dest", name("/appendix"));
    linkOutline(chapter1, { section11, section12 });
    chapter1.replaceKey("/Count", Handle::newInteger(2));
    linkOutline(root, { chapter1, chapter2, appendix });
    root.replaceKey("/Count", Handle::newInteger(5));
    document.getRoot().replaceKey("/Outlines", root);

    Handle names = Handle::newArray({ Handle::newString("chapter2"), fitDestination(pages[3]), Handle::newString("sec12"), fitDestination(pages[2]) });
    Handle tree = Handle::newDictionary();
    tree.replaceKey("/Names", names);
    Handle nameDictionary = Handle::newDictionary();
    nameDictionary.replaceKey("/Dests", document.makeIndirectObject(tree));
    document.getRoot().replaceKey("/Names", nameDictionary);
    Handle dests = Handle::newDictionary();
    dests.replaceKey("/appendix", fitDestination(pages[4]));
    document.getRoot().replaceKey("/Dests", document.makeIndirectObject(dests));
}

Handle widget(QPDF& document, Handle page, const std::string& fields)
{
    Handle annotation = parse("<< /Type /Annot /Subtype /Widget /F 4 " + fields + " >>");
    annotation.replaceKey("/Rect", rect(72, 600, 272, 620));
    annotation.replaceKey("/P", page);
    Handle indirect = document.makeIndirectObject(annotation);
    addAnnotation(page, indirect);
    return indirect;
}

void addForm(QPDF& document, const std::vector<Handle>& pages, Handle font, bool signature)
{
    Handle name = widget(document, pages[0], "/FT /Tx /T (name) /V (Ada)");
    Handle agree = widget(document, pages[1], "/FT /Btn /T (agree) /V /Yes /AS /Yes");
    Handle both = document.makeIndirectObject(parse("<< /FT /Tx /T (both) /V (shared) >>"));
    Handle first = widget(document, pages[0], "");
    Handle second = widget(document, pages[1], "");
    first.replaceKey("/Parent", both);
    second.replaceKey("/Parent", both);
    both.replaceKey("/Kids", Handle::newArray({ first, second }));
    std::vector<Handle> fields { name, agree, both };

    Handle form = Handle::newDictionary();
    form.replaceKey("/DA", Handle::newString("/Helv 0 Tf 0 g"));
    Handle fonts = Handle::newDictionary();
    fonts.replaceKey("/Helv", font);
    Handle resources = Handle::newDictionary();
    resources.replaceKey("/Font", fonts);
    form.replaceKey("/DR", resources);
    if (signature) {
        Handle value = document.makeIndirectObject(parse("<< /Type /Sig /Filter /Adobe.PPKLite /SubFilter /adbe.pkcs7.detached "
                                                         "/ByteRange [0 100 200 300] /Contents <3082000a0102030405060708090a> "
                                                         "/M (D:20240101120000Z) >>"));
        Handle signatureField = widget(document, pages[0], "/FT /Sig /T (signature)");
        signatureField.replaceKey("/V", value);
        fields.push_back(signatureField);
        form.replaceKey("/SigFlags", Handle::newInteger(3));
    }
    form.replaceKey("/Fields", Handle::newArray(fields));
    document.getRoot().replaceKey("/AcroForm", document.makeIndirectObject(form));
}

std::string toString(const std::shared_ptr<Buffer>& buffer)
{
    return std::string(reinterpret_cast<const char*>(buffer->getBuffer()), buffer->getSize());
}

// Label text of a page from its label dictionary (style, prefix and start as qpdf computes them).
std::string labelText(Handle label)
{
    if (!label.isDictionary())
        return std::to_string(0);
    const std::string prefix = label.getKey("/P").isString() ? label.getKey("/P").getUTF8Value() : "";
    const long long number = label.getKey("/St").isInteger() ? label.getKey("/St").getIntValue() : 1;
    const std::string style = label.getKey("/S").isName() ? label.getKey("/S").getName() : "";
    std::string digits;
    if (style == "/D") {
        digits = std::to_string(number);
    } else if (style == "/A" || style == "/a") {
        const char base = style == "/A" ? 'A' : 'a';
        digits = std::string(static_cast<std::size_t>((number - 1) / 26 + 1), static_cast<char>(base + (number - 1) % 26));
    } else if (style == "/R" || style == "/r") {
        static const std::pair<int, const char*> numerals[] = { { 1000, "m" }, { 900, "cm" }, { 500, "d" }, { 400, "cd" }, { 100, "c" },
            { 90, "xc" }, { 50, "l" }, { 40, "xl" }, { 10, "x" }, { 9, "ix" }, { 5, "v" }, { 4, "iv" }, { 1, "i" } };
        long long rest = number;
        for (const auto& [value, text] : numerals) {
            for (; rest >= value; rest -= value)
                digits += text;
        }
        if (style == "/R")
            std::transform(digits.begin(), digits.end(), digits.begin(), [](char c) { return static_cast<char>(c - 'a' + 'A'); });
    }
    return prefix + digits;
}

int pageNumberOf(const std::map<QPDFObjGen, int>& pageNumbers, Handle destination, QPDFOutlineDocumentHelper& outlines)
{
    for (int hop = 0; hop < 4 && !destination.isArray(); ++hop) {
        if (destination.isName() || destination.isString())
            destination = outlines.resolveNamedDest(destination);
        else if (destination.isDictionary())
            destination = destination.getKey("/D");
        else
            return 0;
    }
    if (!destination.isArray() || destination.getArrayNItems() == 0)
        return 0;
    Handle page = destination.getArrayItem(0);
    const auto found = page.isIndirect() ? pageNumbers.find(page.getObjGen()) : pageNumbers.end();
    return found == pageNumbers.end() ? 0 : found->second;
}

Handle destinationOf(Handle item)
{
    Handle destination = item.getKey("/Dest");
    if (!destination.isNull())
        return destination;
    Handle action = item.getKey("/A");
    return action.isDictionary() ? action.getKey("/D") : Handle::newNull();
}

void readOutline(Handle node, int depth, const std::map<QPDFObjGen, int>& pages, QPDFOutlineDocumentHelper& outlines, std::vector<std::string>& out)
{
    int guard = 0;
    for (Handle item = node.getKey("/First"); item.isDictionary() && guard < 1000; item = item.getKey("/Next"), ++guard) {
        const int page = pageNumberOf(pages, destinationOf(item), outlines);
        out.push_back(std::string(static_cast<std::size_t>(depth) * 2, ' ') + item.getKey("/Title").getUTF8Value() + " -> "
            + (page > 0 ? std::to_string(page) : "none"));
        if (depth < 10)
            readOutline(item, depth + 1, pages, outlines, out);
    }
}

}

std::string richPdf(const RichPdfOptions& options)
{
    QPDF document;
    document.emptyPDF();
    Handle font = document.makeIndirectObject(parse("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>"));
    std::vector<Handle> pages;
    for (int number = 1; number <= std::max(6, options.pageCount); ++number)
        pages.push_back(addPage(document, font, number, number == options.blankPage));
    if (options.image)
        addImage(document, pages.front());
    addOutline(document, pages);
    document.getRoot().replaceKey("/PageLabels", parse("<< /Nums [0 << /S /r >> 2 << /S /D >> 4 << /S /A /P (App-) >>] >>"));
    addForm(document, pages, font, options.signature);
    Handle link = parse("<< /Type /Annot /Subtype /Link /Border [0 0 0] >>");
    link.replaceKey("/Rect", rect(72, 500, 272, 520));
    link.replaceKey("/Dest", Handle::newString("sec12"));
    addAnnotation(pages[0], document.makeIndirectObject(link));
    document.getRoot().replaceKey("/PageMode", name("/UseOutlines"));
    document.getRoot().replaceKey("/ViewerPreferences", parse("<< /DisplayDocTitle true >>"));
    Handle metadata = Handle::newStream(&document,
        "<?xpacket begin=\"\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?><x:xmpmeta xmlns:x=\"adobe:ns:meta/\"><rdf:RDF "
        "xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\"><rdf:Description rdf:about=\"\" "
        "xmlns:dc=\"http://purl.org/dc/elements/1.1/\"><dc:title>Rich fixture</dc:title></rdf:Description></rdf:RDF>"
        "</x:xmpmeta><?xpacket end=\"w\"?>");
    metadata.getDict().replaceKey("/Type", name("/Metadata"));
    metadata.getDict().replaceKey("/Subtype", name("/XML"));
    document.getRoot().replaceKey("/Metadata", metadata);
    document.getTrailer().replaceKey("/Info",
        document.makeIndirectObject(parse("<< /Title (Rich fixture) /Author (Inkwarden tests) /Producer (fixture) >>")));

    QPDFWriter writer(document);
    writer.setOutputMemory();
    writer.setObjectStreamMode(options.objectStreams ? qpdf_o_generate : qpdf_o_disable);
    if (options.protection == Protection::OwnerR4)
        writer.setR4EncryptionParametersInsecure("", "owner", true, true, false, true, true, false, qpdf_r3p_none, true, true);
    if (options.protection == Protection::OwnerR6)
        writer.setR6EncryptionParameters("", "owner", true, true, false, true, true, false, qpdf_r3p_none, true);
    writer.write();
    return toString(writer.getBufferSharedPointer());
}

std::string photoPdf(int pageCount, int side)
{
    QPDF document;
    document.emptyPDF();
    Handle font = document.makeIndirectObject(parse("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"));
    for (int number = 1; number <= pageCount; ++number)
        addImage(document, addPage(document, font, number, false), side, 400);
    QPDFWriter writer(document);
    writer.setOutputMemory();
    writer.write();
    return toString(writer.getBufferSharedPointer());
}

std::string drawingPdf(int pageCount)
{
    QPDF document;
    document.emptyPDF();
    for (int number = 1; number <= pageCount; ++number) {
        Handle page = parse("<< /Type /Page /MediaBox [0 0 612 792] /Resources << >> >>");
        page.replaceKey("/Contents", Handle::newStream(&document, "0.5 w 36 36 540 720 re S 72 " + std::to_string(100 + number % 500)
                + " m 540 400 l S 1 0 0 rg 300 300 20 20 re f\n"));
        QPDFPageDocumentHelper(document).addPage(QPDFPageObjectHelper(document.makeIndirectObject(page)), false);
    }
    QPDFWriter writer(document);
    writer.setOutputMemory();
    writer.write();
    return toString(writer.getBufferSharedPointer());
}

PdfFacts inspectPdf(const std::string& bytes)
{
    PdfFacts facts;
    QPDF document;
    document.setSuppressWarnings(true);
    try {
        document.processMemoryFile("inspected", bytes.data(), bytes.size());
    } catch (const std::exception&) {
        return facts;
    }
    facts.opened = true;
    std::vector<Handle> pages = document.getAllPages();
    facts.pageCount = static_cast<int>(pages.size());
    std::map<QPDFObjGen, int> pageNumbers;
    for (std::size_t index = 0; index < pages.size(); ++index)
        pageNumbers.emplace(pages[index].getObjGen(), static_cast<int>(index) + 1);

    QPDFOutlineDocumentHelper outlines(document);
    Handle catalog = document.getRoot();
    if (catalog.getKey("/Outlines").isDictionary())
        readOutline(catalog.getKey("/Outlines"), 0, pageNumbers, outlines, facts.outline);

    QPDFPageLabelDocumentHelper labels(document);
    for (std::size_t index = 0; index < pages.size(); ++index)
        facts.labels.push_back(labels.hasPageLabels() ? labelText(labels.getLabelForPage(static_cast<long long>(index))) : "");

    Handle names = catalog.getKey("/Names");
    if (names.isDictionary() && names.getKey("/Dests").isDictionary()) {
        for (const auto& [key, destination] : QPDFNameTreeObjectHelper(names.getKey("/Dests"), document).getAsMap())
            facts.namedDestinations[key] = pageNumberOf(pageNumbers, destination, outlines);
    }
    if (catalog.getKey("/Dests").isDictionary()) {
        Handle dests = catalog.getKey("/Dests");
        for (const std::string& key : dests.getKeys())
            facts.namedDestinations[key.substr(1)] = pageNumberOf(pageNumbers, dests.getKey(key), outlines);
    }

    // Terminal fields from the field tree (a widget kid without a name of its own is part of its
    // parent), then the pages their widgets are on.
    std::map<std::string, std::vector<int>> fieldPages;
    Handle form = catalog.getKey("/AcroForm");
    std::vector<Handle> pending = form.isDictionary() && form.getKey("/Fields").isArray() ? form.getKey("/Fields").getArrayAsVector()
                                                                                        : std::vector<Handle> {};
    for (int guard = 0; !pending.empty() && guard < 10000; ++guard) {
        Handle node = pending.back();
        pending.pop_back();
        bool hasFieldKids = false;
        Handle kids = node.getKey("/Kids");
        for (Handle kid : kids.isArray() ? kids.getArrayAsVector() : std::vector<Handle> {}) {
            if (kid.hasKey("/T")) {
                hasFieldKids = true;
                pending.push_back(kid);
            }
        }
        if (hasFieldKids)
            continue;
        QPDFFormFieldObjectHelper field(node);
        const std::string fieldName = field.getFullyQualifiedName();
        fieldPages[fieldName];
        Handle value = field.getValue();
        facts.fieldValues[fieldName] = value.isString() ? value.getUTF8Value() : value.isName() ? value.getName() : value.unparse();
        if (field.getFieldType() == "/Sig" && value.isDictionary())
            facts.hasSignatureValue = true;
    }
    for (std::size_t index = 0; index < pages.size(); ++index) {
        Handle annotations = pages[index].getKey("/Annots");
        for (Handle annotation : annotations.isArray() ? annotations.getArrayAsVector() : std::vector<Handle> {}) {
            if (annotation.getKey("/Subtype").isName() && annotation.getKey("/Subtype").getName() == "/Widget")
                fieldPages[QPDFFormFieldObjectHelper(annotation).getFullyQualifiedName()].push_back(static_cast<int>(index) + 1);
        }
    }
    for (auto& [fieldName, onPages] : fieldPages) {
        std::sort(onPages.begin(), onPages.end());
        std::string entry = fieldName + "@";
        for (std::size_t index = 0; index < onPages.size(); ++index)
            entry += (index ? "," : "") + std::to_string(onPages[index]);
        facts.fields.push_back(entry);
    }
    facts.hasSigFlags = form.isDictionary() && form.getKey("/SigFlags").isInteger();

    for (Handle page : pages) {
        std::vector<int> targets;
        int count = 0;
        Handle annotations = page.getKey("/Annots");
        for (Handle annotation : annotations.isArray() ? annotations.getArrayAsVector() : std::vector<Handle> {}) {
            ++count;
            if (annotation.getKey("/Subtype").isName() && annotation.getKey("/Subtype").getName() == "/Link")
                targets.push_back(pageNumberOf(pageNumbers, destinationOf(annotation), outlines));
        }
        facts.links.push_back(targets);
        facts.annotationCounts.push_back(count);
    }

    facts.pageMode = catalog.getKey("/PageMode").isName() ? catalog.getKey("/PageMode").getName() : "";
    facts.hasViewerPreferences = catalog.getKey("/ViewerPreferences").isDictionary();
    facts.hasMetadata = catalog.getKey("/Metadata").isStream();
    Handle info = document.getTrailer().getKey("/Info");
    if (info.isDictionary()) {
        for (const std::string& key : info.getKeys())
            facts.info[key] = info.getKey(key).isString() ? info.getKey(key).getUTF8Value() : info.getKey(key).unparse();
    }
    int revision = 0;
    int permissions = 0;
    facts.encrypted = document.isEncrypted(revision, permissions);
    facts.encryptionRevision = revision;
    facts.permissions = permissions;
    facts.allowsPrinting = document.allowPrintLowRes();
    facts.allowsAssembly = document.allowModifyAssembly();
    return facts;
}

}
