#include "crossdoc/DocumentTypes.h"
#include "crossdoc/TextExtractors.h"

#include "tests/support/TempHome.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

namespace ikw::crossdoc {
namespace {

using Chunks = std::vector<Chunk>;

Chunk line(const std::string& anchor, const std::string& body)
{
    return { "line", anchor, 0, body };
}

class TextExtractorsTest : public ::testing::Test {
protected:
    std::string write(const std::string& name, const std::string& bytes) { return testing::writeTestFile(home.file(name), bytes); }

    testing::TempHome home;
};

TEST(DocumentTypes, MapsExtensionsToTypes)
{
    EXPECT_EQ(typeForExt().size(), 14u);
    EXPECT_EQ(indexableExts().size(), 14u);
    EXPECT_TRUE(indexableExts().contains("markdown"));
    EXPECT_FALSE(indexableExts().contains("png"));
    EXPECT_EQ(documentType("doc"), "docx");
    EXPECT_EQ(documentType("PDF"), "pdf");
    EXPECT_EQ(documentType("csv"), "text");
    EXPECT_EQ(documentType("Markdown"), "md");
    EXPECT_EQ(documentType("gslides"), "gslides");
    EXPECT_EQ(documentType("weird"), "text");
}

TEST_F(TextExtractorsTest, TextFilesAreReadLineByLine)
{
    EXPECT_EQ(extractChunks(write("notes.md", "# Title\n\n- item\n"), "md"), (Chunks { line("L1", "# Title"), line("L3", "- item") }));
    EXPECT_EQ(extractChunks(write("latin.txt", "caf\xe9\nna\xefve"), "text"), (Chunks { line("L1", "caf\u00e9"), line("L2", "na\u00efve") }));
    EXPECT_EQ(extractChunks(write("bom.txt", "\xEF\xBB\xBF" "first\r\nsecond"), "text"), (Chunks { line("L1", "first"), line("L3", "second") }));
    // Any other type is read as text too.
    EXPECT_EQ(extractChunks(write("data.log", "x"), "unknown"), (Chunks { line("L1", "x") }));
    EXPECT_EQ(extractChunks(write("empty.txt", ""), "text"), Chunks {});
    EXPECT_EQ(extractChunks(home.file("absent.txt"), "text"), Chunks {});
    EXPECT_EQ(extractChunks(home.path(), "text"), Chunks {});
    const std::string fifo = home.file("pipe.txt");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(extractChunks(fifo, "text"), Chunks {}) << "a FIFO is never waited on";
}

TEST_F(TextExtractorsTest, RichTextGivesParagraphs)
{
    const std::string rtf = "{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0 Helvetica;}}{\\*\\generator x}\\f0 caf\\'e9 \\u8364?\\par\n"
                            "second line\\par\\par third\\par}";
    EXPECT_EQ(extractChunks(write("memo.rtf", rtf), "rtf"),
        (Chunks { { "para", "¶1", 0, "caf\u00e9 \u20ac second line" }, { "para", "¶2", 0, "third" } }));
    EXPECT_EQ(extractChunks(write("cut.rtf", "{\\rtf1 so far\\'e"), "rtf"), (Chunks { { "para", "¶1", 0, "so far" } }));
    EXPECT_EQ(extractChunks(write("fake.rtf", "plain text"), "rtf"), Chunks {});
}

TEST_F(TextExtractorsTest, PointerFilesGiveTheirTitleAndLink)
{
    struct Case {
        const char* name;
        std::string json;
        std::string link;
    };
    const Case cases[] = {
        { "Budget 2024.gsheet", "{\"doc_id\": \"abc/123\", \"email\": \"x\"}", "https://docs.google.com/open?id=abc/123" },
        { "Plan.gdoc", "{\"url\": \"https://example.org/d\", \"doc_id\": \"ignored\"}", "https://example.org/d" },
        { "Deck.v2.gslides", "{\"url\": 5, \"doc_id\": \"id9\"}", "https://docs.google.com/open?id=id9" },
        { "Numbers.gdoc", "{\"doc_id\": 12}", "" },
        { "Array.gdoc", "[\"url\"]", "" },
        { "Broken.gdoc", "{not json", "" },
    };
    for (const Case& c : cases) {
        const std::string path = write(c.name, c.json);
        std::string title = c.name;
        title.erase(title.rfind('.'));
        EXPECT_EQ(extractChunks(path, documentType(path.substr(path.rfind('.') + 1))), (Chunks { { "glink", c.link, 0, title } })) << c.name;
    }
    // Unreadable: the title alone.
    EXPECT_EQ(extractGDocPointer(home.file("Gone.gdoc")), (Chunks { { "glink", "", 0, "Gone" } }));
}

}
}
