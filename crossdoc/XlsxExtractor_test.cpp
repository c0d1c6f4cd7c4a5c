#include "crossdoc/TextExtractors.h"

#include "tests/support/TempHome.h"
#include "tests/support/ZipFixtures.h"

#include <gtest/gtest.h>

namespace ikw::crossdoc {
namespace {

using Chunks = std::vector<Chunk>;
using testing::ZipMember;

Chunk cell(const std::string& anchor, const std::string& body)
{
    return { "cell", anchor, 0, body };
}

std::string workbook(const std::string& sheets)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><workbook xmlns=\"urn:main\" "
           "xmlns:r=\"urn:rel\"><sheets>" + sheets + "</sheets></workbook>";
}

std::string relationships(const std::string& entries)
{
    return "<Relationships xmlns=\"urn:pkg\">" + entries + "</Relationships>";
}

std::string sheet(const std::string& cells)
{
    return "<worksheet><sheetData><row>" + cells + "</row></sheetData></worksheet>";
}

const std::string kShared = "<sst><si><t>zero</t></si><si><r><t>one </t></r><r><t>run</t></r></si></sst>";

class XlsxExtractorTest : public ::testing::Test {
protected:
    Chunks extract(const std::vector<ZipMember>& members, std::uint64_t maxMemberBytes = kMaxPackageMemberBytes)
    {
        return extractRaw(testing::zipBytes(members), maxMemberBytes);
    }
    Chunks extractRaw(const std::string& zip, std::uint64_t maxMemberBytes = kMaxPackageMemberBytes)
    {
        const std::string path = testing::writeTestFile(home.file("book" + std::to_string(++m_count) + ".xlsx"), zip);
        return extractXlsx(path, maxMemberBytes);
    }

    testing::TempHome home;

private:
    int m_count = 0;
};

TEST_F(XlsxExtractorTest, ReadsCellsOfEverySheetThroughTheRelationships)
{
    const Chunks chunks = extract({
        { "xl/workbook.xml", workbook("<sheet name=\"Budget\" sheetId=\"1\" r:id=\"rId7\"/><sheet name=\"Q&amp;A\" r:id=\"rId8\"/>"
                                      "<sheet name=\"Unlinked\" r:id=\"rId9\"/>") },
        { "xl/_rels/workbook.xml.rels", relationships("<Relationship Id=\"rId7\" Target=\"worksheets/data.xml\"/>"
                                                      "<Relationship Id=\"rId8\" Target=\"/xl/other.xml\"/>") },
        { "xl/sharedStrings.xml", kShared },
        { "xl/worksheets/data.xml", sheet("<c r=\"A1\" t=\"s\"><v>1</v></c><c r=\"B7\"><v>3.5</v></c>") },
        { "xl/other.xml", sheet("<c r=\"C2\" t=\"s\"><v>0</v></c>") },
        { "xl/worksheets/sheet3.xml", sheet("<c r=\"A1\"><v>not reached</v></c>") },
    });
    EXPECT_EQ(chunks, (Chunks { cell("Budget!A1", "one run"), cell("Budget!B7", "3.5"), cell("Q&A!C2", "zero") }));
}

TEST_F(XlsxExtractorTest, ValuesOfEveryKindOfCell)
{
    const Chunks chunks = extract({
        { "xl/workbook.xml", workbook("<sheet name=\"Sheet1\" r:id=\"rId1\"/>") },
        { "xl/sharedStrings.xml", kShared },
        // Without workbook relationships, sheets are read by position.
        { "xl/worksheets/sheet1.xml",
            sheet("<c r=\"A1\" t=\"s\"><v>+1</v></c>"
                  "<c r=\"A2\" t=\"s\"><v>-1</v></c>"
                  "<c r=\"A3\" t=\"s\"><v>2</v></c>"
                  "<c r=\"A4\" t=\"s\"><v>x</v></c>"
                  "<c r=\"A5\" t=\"s\"><v></v></c>"
                  "<c r=\"B1\"><v>3.5</v></c>"
                  "<c r=\"B2\" t=\"str\"><v>  </v></c>"
                  "<c r=\"B3\" t=\"b\"><v>1</v></c>"
                  "<c r=\"B4\" t=\"inlineStr\"><is><r><t>first</t></r><r><t xml:space=\"preserve\"> and second</t></r></is></c>"
                  "<c r=\"B5\" t=\"inlineStr\"><is><t>plain &amp; simple</t></is></c>"
                  "<c t=\"n\"><v>42</v></c>"
                  "<c r=\"B7\" t=\"str\"><v>\n  padded\t</v></c>") },
    });
    EXPECT_EQ(chunks, (Chunks { cell("Sheet1!A1", "one run"), cell("Sheet1!B1", "3.5"), cell("Sheet1!B3", "1"),
                          cell("Sheet1!B4", "first and second"), cell("Sheet1!B5", "plain & simple"), cell("Sheet1!B7", "padded") }));
}

TEST_F(XlsxExtractorTest, MissingAndOversizedPartsCountAsAbsent)
{
    const std::vector<ZipMember> book = {
        { "xl/workbook.xml", workbook("<sheet name=\"S\" r:id=\"rId1\"/>") },
        { "xl/sharedStrings.xml", kShared },
        { "xl/worksheets/sheet1.xml", sheet("<c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"A2\"><v>7</v></c>") },
    };
    EXPECT_EQ(extract(book), (Chunks { cell("S!A1", "zero"), cell("S!A2", "7") }));
    // Shared strings declaring about 4 GB: they count as missing, the sheet still gives its numbers.
    EXPECT_EQ(extractRaw(testing::withDeclaredSize(testing::zipBytes(book), "xl/sharedStrings.xml", 0xFFFFFFF0u)),
        (Chunks { cell("S!A2", "7") }));
    // A sheet inflating past the bound gives nothing, the parts within it still count.
    std::vector<ZipMember> bigSheet = book;
    bigSheet.push_back({ "xl/worksheets/sheet2.xml", sheet("<c r=\"Z1\"><v>" + std::string(4000, '9') + "</v></c>") });
    bigSheet[0].second = workbook("<sheet name=\"S\"/><sheet name=\"Big\"/>");
    EXPECT_EQ(extract(bigSheet, 2000), (Chunks { cell("S!A1", "zero"), cell("S!A2", "7") }));
    EXPECT_EQ(extract({ { "xl/worksheets/sheet1.xml", sheet("<c r=\"A1\"><v>1</v></c>") } }), Chunks {}) << "no workbook part";
    EXPECT_EQ(extract({ { "xl/workbook.xml", workbook("<sheet name=\"S\"/>") } }), Chunks {}) << "no sheet part";
    EXPECT_EQ(extractRaw("not a zip"), Chunks {});
}

TEST_F(XlsxExtractorTest, MalformedPartsGiveWhatCameBefore)
{
    const Chunks chunks = extract({
        { "xl/workbook.xml", workbook("<sheet name=\"S\"/>") },
        { "xl/worksheets/sheet1.xml", "<worksheet><sheetData><row><c r=\"A1\"><v>kept</v></c><c r=\"A2\"><v>lost</c>" },
    });
    EXPECT_EQ(chunks, (Chunks { cell("S!A1", "kept") }));
}

TEST_F(XlsxExtractorTest, NeverReadsAnExternalEntity)
{
    const std::string secret = testing::writeTestFile(home.file("secret.txt"), "SECRET-CONTENT");
    const Chunks chunks = extract({
        { "xl/workbook.xml", workbook("<sheet name=\"S\"/>") },
        { "xl/worksheets/sheet1.xml", "<?xml version=\"1.0\"?><!DOCTYPE worksheet [<!ENTITY xxe SYSTEM \"file://" + secret + "\">]>"
                                          "<worksheet><sheetData><row><c r=\"A1\" t=\"inlineStr\"><is><t>a&xxe;b</t></is></c>"
                                          "<c r=\"A2\"><v>2</v></c></row></sheetData></worksheet>" },
    });
    EXPECT_EQ(chunks, (Chunks { cell("S!A1", "ab"), cell("S!A2", "2") }));
}

}
}
