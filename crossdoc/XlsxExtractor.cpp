#include "crossdoc/TextExtractors.h"

#include "crossdoc/PackageParts.h"
#include "crossdoc/XlsxParsers.h"
#include "platform/core/TextMetrics.h"
#include "platform/core/ZipArchive.h"

namespace ikw::crossdoc {

namespace {

struct SheetPart {
    std::string name;
    std::string part;
};

// The package part of each sheet through the workbook's relationships; by position when none of
// them resolves.
std::vector<SheetPart> sheetParts(const XlsxWorkbookParser& workbook, const XlsxRelsParser& relationships)
{
    std::vector<SheetPart> parts;
    for (const auto& [name, id] : workbook.sheets) {
        const auto target = relationships.map.find(id);
        if (target == relationships.map.end())
            continue;
        const std::string& path = target->second;
        parts.push_back({ name, path.starts_with("/") ? path.substr(1) : "xl/" + path });
    }
    if (!parts.empty())
        return parts;
    for (std::size_t index = 0; index < workbook.sheets.size(); ++index)
        parts.push_back({ workbook.sheets[index].first, "xl/worksheets/sheet" + std::to_string(index + 1) + ".xml" });
    return parts;
}

// Runs a fresh handler over a part; a missing or oversized part leaves it as made.
template<typename Parser, typename... Arguments>
Parser parsedPart(const ZipArchive& archive, std::string_view name, std::uint64_t maxBytes, Arguments&... arguments)
{
    Parser parser(arguments...);
    if (parsePackagePart(archive, name, maxBytes, parser))
        return parser;
    return Parser(arguments...);
}

}

std::vector<Chunk> extractXlsx(const std::string& path, std::uint64_t maxMemberBytes)
{
    const auto archive = ZipArchive::open(path);
    if (!archive)
        return {};
    const auto workbook = parsedPart<XlsxWorkbookParser>(*archive, "xl/workbook.xml", maxMemberBytes);
    if (workbook.sheets.empty())
        return {};
    const auto relationships = parsedPart<XlsxRelsParser>(*archive, "xl/_rels/workbook.xml.rels", maxMemberBytes);
    const auto shared = parsedPart<XlsxSharedParser>(*archive, "xl/sharedStrings.xml", maxMemberBytes);

    std::vector<Chunk> chunks;
    for (const SheetPart& sheet : sheetParts(workbook, relationships)) {
        XlsxSheetParser cells(shared.strings);
        if (!parsePackagePart(*archive, sheet.part, maxMemberBytes, cells))
            continue;
        for (const auto& [reference, value] : cells.cells) {
            const std::string_view body = trimWhitespaceAndNewlines(value);
            if (!body.empty())
                chunks.push_back(Chunk { "cell", sheet.name + "!" + reference, 0, std::string(body) });
        }
    }
    return chunks;
}

}
