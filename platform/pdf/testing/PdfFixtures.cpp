#include "platform/pdf/testing/PdfFixtures.h"

#include "platform/core/Process.h"
#include "platform/pdf/Document.h"
#include "platform/pdf/DocumentBuilder.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <regex>

namespace ikw::pdf::testing {

namespace {

[[noreturn]] void fixtureFailed(const char* what)
{
    std::fprintf(stderr, "PDF fixture failed: %s\n", what);
    std::abort();
}

std::string bytesOf(const std::optional<Document>& document, const WriteOptions& options = {})
{
    if (!document)
        fixtureFailed("no document");
    std::optional<std::string> bytes = document->toBytes(options);
    if (!bytes)
        fixtureFailed("cannot write");
    return *bytes;
}

std::optional<Document> numberedDocument(const std::vector<FixturePage>& pages)
{
    DocumentBuilder builder;
    for (std::size_t index = 0; index < pages.size(); ++index) {
        if (!builder.appendBlankPage(pages[index].mediaBox, pages[index].rotation, "Page " + std::to_string(index + 1)))
            fixtureFailed("cannot add a page");
    }
    return builder.finish();
}

}

std::string numberedPdf(int pageCount)
{
    return numberedPdf(std::vector<FixturePage>(static_cast<std::size_t>(pageCount)));
}

std::string numberedPdf(const std::vector<FixturePage>& pages)
{
    return bytesOf(numberedDocument(pages));
}

std::string encryptedPdf(int pageCount, const std::string& password)
{
    WriteOptions options;
    options.userPassword = password;
    options.ownerPassword = password + "-owner";
    return bytesOf(numberedDocument(std::vector<FixturePage>(static_cast<std::size_t>(pageCount))), options);
}

std::string damagedPdf(int pageCount)
{
    std::string bytes = numberedPdf(pageCount);
    // Point "startxref" at nothing and garble the table itself.
    const std::size_t startxref = bytes.rfind("startxref");
    const std::size_t xref = bytes.rfind("\nxref");
    if (startxref == std::string::npos || xref == std::string::npos)
        fixtureFailed("no cross-reference table to damage");
    bytes.replace(startxref, std::string::npos, "startxref\n999999\n%%EOF\n");
    bytes.replace(xref + 1, 4, "XXXX");
    return bytes;
}

std::string croppedPdf(Rect mediaBox, Rect cropBox)
{
    std::string bytes = numberedPdf({ FixturePage { mediaBox, 0 } });
    // The page dictionary is written as "/MediaBox [...]"; a crop box goes right beside it.
    const std::size_t at = bytes.find("/MediaBox");
    if (at == std::string::npos)
        fixtureFailed("no media box");
    const std::string crop = "/CropBox [" + std::to_string(cropBox.x0) + " " + std::to_string(cropBox.y0) + " "
        + std::to_string(cropBox.x1) + " " + std::to_string(cropBox.y1) + "]";
    bytes.insert(at, crop);
    // The offsets moved; let the reader rebuild them.
    std::optional<Document> repaired = Document::fromBytes(bytes);
    return bytesOf(repaired);
}

std::string inlineFontPdf(int pageCount)
{
    std::vector<std::string> objects = { "<< /Type /Catalog /Pages 2 0 R >>", "" };
    std::string kids;
    for (int page = 1; page <= pageCount; ++page) {
        const int pageObject = static_cast<int>(objects.size()) + 1;
        const std::string content = "BT /F1 24 Tf 36 720 Td (Page " + std::to_string(page) + ") Tj ET";
        objects.push_back("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents " + std::to_string(pageObject + 1)
            + " 0 R /Resources << /Font << /F1 << /Type /Font /Subtype /Type1 /BaseFont /Helvetica >> >> >> >>");
        objects.push_back("<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream");
        kids += std::to_string(pageObject) + " 0 R ";
    }
    objects[1] = "<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(pageCount) + " >>";
    std::string bytes = "%PDF-1.7\n";
    for (std::size_t index = 0; index < objects.size(); ++index)
        bytes += std::to_string(index + 1) + " 0 obj\n" + objects[index] + "\nendobj\n";
    bytes += "trailer\n<< /Size " + std::to_string(objects.size() + 1) + " /Root 1 0 R >>\n%%EOF\n";
    return bytes;
}

namespace {

// A PDF string literal of the text in Windows Latin-1.
std::string winAnsiLiteral(const std::string& utf8)
{
    std::string literal = "(";
    for (std::size_t at = 0; at < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[at]);
        const int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        unsigned long code = length == 1 ? lead : lead & (0x3F >> (length - 1));
        for (int more = 1; more < length && at + static_cast<std::size_t>(more) < utf8.size(); ++more)
            code = code << 6 | (static_cast<unsigned char>(utf8[at + static_cast<std::size_t>(more)]) & 0x3F);
        at += static_cast<std::size_t>(length);
        const char byte = code == 0x2026 ? '\x85' : code < 0x100 && (code < 0x80 || code >= 0xA0) ? static_cast<char>(code) : '?';
        if (byte == '(' || byte == ')' || byte == '\\')
            literal += '\\';
        literal += byte;
    }
    return literal + ")";
}

std::string textContentOf(const TextFixturePage& page)
{
    constexpr double kSize = 12;
    std::string content = "BT /F1 " + std::to_string(kSize) + " Tf\n";
    double y = page.mediaBox.y1 - 36 - kSize;
    for (const std::string& line : page.lines) {
        if (!line.empty())
            content += "1 0 0 1 " + std::to_string(page.mediaBox.x0 + 36) + " " + std::to_string(y) + " Tm " + winAnsiLiteral(line) + " Tj\n";
        // A gap of two lines parts blocks.
        y -= line.empty() ? 3 * kSize : 1.25 * kSize;
    }
    return content + "ET";
}

std::string rectText(Rect rect)
{
    return "[" + std::to_string(rect.x0) + " " + std::to_string(rect.y0) + " " + std::to_string(rect.x1) + " " + std::to_string(rect.y1) + "]";
}

}

std::string textPdf(const std::vector<TextFixturePage>& pages, const std::string& catalogEntries)
{
    std::vector<std::string> objects = { "<< /Type /Catalog /Pages 2 0 R " + catalogEntries + " >>", "",
        "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>" };
    std::string kids;
    for (const TextFixturePage& page : pages) {
        const int pageObject = static_cast<int>(objects.size()) + 1;
        const std::string content = textContentOf(page);
        std::string annotations;
        for (std::size_t at = 0; at < page.annotations.size(); ++at)
            annotations += std::to_string(pageObject + 2 + static_cast<int>(at)) + " 0 R ";
        if (!annotations.empty())
            annotations = " /Annots [" + annotations + "]";
        objects.push_back("<< /Type /Page /Parent 2 0 R /MediaBox " + rectText(page.mediaBox) + " /Rotate " + std::to_string(page.rotation)
            + " /Contents " + std::to_string(pageObject + 1) + " 0 R /Resources << /Font << /F1 3 0 R >> >>" + annotations + " >>");
        objects.push_back("<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream");
        objects.insert(objects.end(), page.annotations.begin(), page.annotations.end());
        kids += std::to_string(pageObject) + " 0 R ";
    }
    objects[1] = "<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(pages.size()) + " >>";
    std::string bytes = "%PDF-1.7\n";
    for (std::size_t index = 0; index < objects.size(); ++index)
        bytes += std::to_string(index + 1) + " 0 obj\n" + objects[index] + "\nendobj\n";
    bytes += "trailer\n<< /Size " + std::to_string(objects.size() + 1) + " /Root 1 0 R >>\n%%EOF\n";
    // Written without a cross-reference table; the reader rebuilds it.
    return bytesOf(Document::fromBytes(bytes));
}

std::string objectsPdf(const std::vector<std::string>& objects)
{
    std::string bytes = "%PDF-1.7\n";
    for (std::size_t index = 0; index < objects.size(); ++index)
        bytes += std::to_string(index + 1) + " 0 obj\n" + objects[index] + "\nendobj\n";
    bytes += "trailer\n<< /Size " + std::to_string(objects.size() + 1) + " /Root 1 0 R >>\n%%EOF\n";
    return bytesOf(Document::fromBytes(bytes));
}

std::string annotatedPdf()
{
    // Written by hand without a cross-reference table; the reader rebuilds it.
    const std::string objects[] = {
        "<< /Type /Catalog /Pages 2 0 R >>",
        "<< /Type /Pages /Kids [3 0 R 6 0 R] /Count 2 /MediaBox [0 0 612 792] >>",
        "<< /Type /Page /Parent 2 0 R /Annots [4 0 R 5 0 R] >>",
        "<< /Type /Annot /Subtype /Text /Rect [100 100 120 120] /Contents (hello note) /P 3 0 R >>",
        "<< /Type /Annot /Subtype /Link /Rect [100 200 300 220] /Dest [6 0 R /XYZ 0 0 0] /P 3 0 R >>",
        "<< /Type /Page /Parent 2 0 R >>",
    };
    std::string bytes = "%PDF-1.7\n";
    for (std::size_t index = 0; index < std::size(objects); ++index)
        bytes += std::to_string(index + 1) + " 0 obj\n" + objects[index] + "\nendobj\n";
    bytes += "trailer\n<< /Size 7 /Root 1 0 R >>\n%%EOF\n";
    return bytesOf(Document::fromBytes(bytes));
}

void writeFixture(const std::string& path, const std::string& bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!file)
        fixtureFailed("cannot write the file");
}

std::vector<int> pageNumbers(const std::string& pdfBytes)
{
    std::vector<int> numbers;
    const std::optional<Document> document = Document::fromBytes(pdfBytes);
    if (!document)
        return numbers;
    static const std::regex pattern("Page (\\d+)");
    for (int index = 0; index < document->pageCount(); ++index) {
        std::smatch match;
        const std::string text = document->pageText(index);
        numbers.push_back(std::regex_search(text, match, pattern) ? std::stoi(match[1]) : 0);
    }
    return numbers;
}

bool qpdfCheckPasses(const std::string& path)
{
    ProcessOptions options;
    options.argv = { "qpdf", "--check", path };
    options.timeoutSeconds = 60;
    return runProcess(options).succeeded();
}

}
