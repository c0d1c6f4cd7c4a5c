#include "platform/pdf/testing/PdfFixtures.h"

#include <cstdio>

namespace ikw::pdf::testing {

namespace {

std::string reference(std::size_t object)
{
    return std::to_string(object) + " 0 R";
}

// A PDF text string: UTF-16BE with its byte order mark, in hex, so that any label survives.
std::string textString(const std::string& utf8)
{
    std::u32string points;
    for (std::size_t at = 0; at < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[at]);
        const int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t point = length == 1 ? lead : lead & (0x7F >> length);
        for (int next = 1; next < length && at + next < utf8.size(); ++next)
            point = (point << 6) | (static_cast<unsigned char>(utf8[at + next]) & 0x3F);
        points.push_back(point);
        at += length;
    }
    std::string hex = "<FEFF";
    const auto unit = [&hex](unsigned value) {
        char digits[5];
        std::snprintf(digits, sizeof digits, "%04X", value & 0xFFFF);
        hex += digits;
    };
    for (const char32_t point : points) {
        if (point < 0x10000) {
            unit(point);
        } else {
            unit(0xD800 + ((point - 0x10000) >> 10));
            unit(0xDC00 + ((point - 0x10000) & 0x3FF));
        }
    }
    return hex + ">";
}

struct OutlineWriter {
    std::vector<std::string>& objects;
    int pageCount;
    std::size_t firstPageObject;

    std::size_t reserve()
    {
        objects.emplace_back();
        return objects.size();
    }

    // Writes the siblings as children of `parent`; returns their first and last object and the
    // number of entries below `parent`, all open.
    struct Written {
        std::size_t first = 0;
        std::size_t last = 0;
        std::size_t count = 0;
    };
    Written write(const std::vector<FixtureOutlineItem>& items, std::size_t parent)
    {
        Written written;
        std::vector<std::size_t> numbers;
        for (std::size_t index = 0; index < items.size(); ++index)
            numbers.push_back(reserve());
        for (std::size_t index = 0; index < items.size(); ++index) {
            const FixtureOutlineItem& item = items[index];
            std::string object = "<< /Title " + textString(item.title) + " /Parent " + reference(parent);
            if (index > 0)
                object += " /Prev " + reference(numbers[index - 1]);
            if (index + 1 < items.size())
                object += " /Next " + reference(numbers[index + 1]);
            if (item.page > 0) {
                // A page past the end leads to the catalog: a destination that is no page.
                const std::size_t target = item.page <= pageCount ? firstPageObject + 2 * static_cast<std::size_t>(item.page - 1) : 1;
                object += " /Dest [" + reference(target) + " /Fit]";
            }
            const Written below = write(item.children, numbers[index]);
            if (below.first)
                object += " /First " + reference(below.first) + " /Last " + reference(below.last) + " /Count " + std::to_string(below.count);
            objects[numbers[index] - 1] = object + " >>";
            written.count += 1 + below.count;
        }
        if (!numbers.empty()) {
            written.first = numbers.front();
            written.last = numbers.back();
        }
        return written;
    }
};

}

std::string outlinedPdf(int pageCount, const std::vector<FixtureOutlineItem>& items)
{
    // 1 catalog, 2 page tree, 3 font, 4 outline root, then each page and its content, then the
    // outline entries.
    std::vector<std::string> objects(4);
    constexpr std::size_t firstPage = 5;
    std::string kids;
    for (int page = 1; page <= pageCount; ++page) {
        const std::size_t number = objects.size() + 1;
        kids += reference(number) + " ";
        objects.push_back("<< /Type /Page /Parent 2 0 R /Resources << /Font << /F1 3 0 R >> >> /Contents " + reference(number + 1) + " >>");
        const std::string content = "BT /F1 24 Tf 72 720 Td (Page " + std::to_string(page) + ") Tj ET";
        objects.push_back("<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream");
    }
    objects[0] = "<< /Type /Catalog /Pages 2 0 R /Outlines 4 0 R >>";
    objects[1] = "<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(pageCount) + " /MediaBox [0 0 612 792] >>";
    objects[2] = "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>";
    OutlineWriter writer { objects, pageCount, firstPage };
    const auto top = writer.write(items, 4);
    objects[3] = top.first ? "<< /Type /Outlines /First " + reference(top.first) + " /Last " + reference(top.last) + " /Count "
            + std::to_string(top.count) + " >>"
                           : std::string("<< /Type /Outlines >>");
    return objectsPdf(objects);
}

}
