#include "crossdoc/DocxText.h"
#include "crossdoc/TextExtractors.h"

#include "platform/core/ZipArchive.h"
#include "tests/support/TempHome.h"
#include "tests/support/ZipFixtures.h"

#include <sys/stat.h>
#include <signal.h>

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <thread>

namespace ikw::crossdoc {
namespace {

using Chunks = std::vector<Chunk>;

Chunk para(const std::string& anchor, const std::string& body)
{
    return { "para", anchor, 0, body };
}

std::string documentXml(const std::string& body)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"
           "<w:document xmlns:w=\"urn:w\" xmlns:mc=\"urn:mc\"><w:body>" + body + "</w:body></w:document>";
}

std::string paragraph(const std::string& runs)
{
    return "<w:p><w:pPr><w:tabs><w:tab w:val=\"left\" w:pos=\"720\"/></w:tabs></w:pPr>" + runs + "</w:p>";
}

std::string run(const std::string& text)
{
    return "<w:r><w:rPr><w:b/></w:rPr><w:t xml:space=\"preserve\">" + text + "</w:t></w:r>";
}

class WordExtractorTest : public ::testing::Test {
protected:
    std::string writeDocx(const std::string& body, const std::string& name = "letter.docx")
    {
        return testing::writeTestFile(home.file(name), testing::zipBytes({ { "[Content_Types].xml", "<Types/>" }, { "word/document.xml", documentXml(body) } }));
    }

    // A stand-in converter: a shell script with this body, its path the last argument ("$1").
    std::string converter(const std::string& body)
    {
        const std::string path = testing::writeTestFile(home.file("convert.sh"), "#!/bin/sh\n" + body + "\n");
        ::chmod(path.c_str(), 0755);
        return path;
    }

    testing::TempHome home;
};

TEST_F(WordExtractorTest, DocxParagraphsRunTogetherUntilAnEmptyOne)
{
    const std::string path = writeDocx(paragraph(run("p1")) + paragraph(run("p2")) + "<w:p/>" + paragraph(run("p3"))
        + paragraph(run("a") + "<w:r><w:tab/><w:t>b</w:t><w:br/><w:t>c</w:t><w:cr/><w:t>d</w:t></w:r>"));
    const auto archive = ZipArchive::open(path);
    ASSERT_TRUE(archive);
    // One line per paragraph, an empty paragraph an empty line; tabs and breaks kept inside.
    EXPECT_EQ(docxText(*archive, kMaxPackageMemberBytes), "p1\np2\n\np3\na\tb\nc\nd\n");
    EXPECT_EQ(extractDocx(path, {}), (Chunks { para("¶1", "p1 p2"), para("¶2", "p3 a\tb c d") }));
}

TEST_F(WordExtractorTest, DocxReadsTextOnceAndSkipsWhatIsNotBodyText)
{
    const std::string textBox = "<mc:AlternateContent><mc:Choice><w:drawing><w:txbxContent>" + paragraph(run("boxed")) +
        "</w:txbxContent></w:drawing></mc:Choice><mc:Fallback><w:pict><w:txbxContent>" + paragraph(run("boxed")) +
        "</w:txbxContent></w:pict></mc:Fallback></mc:AlternateContent>";
    const std::string path = writeDocx(
        paragraph(run("before") + "<w:r>" + textBox + "</w:r>" + run("after")) +
        paragraph("<w:del><w:r><w:delText>deleted</w:delText></w:r></w:del><w:r><w:instrText>PAGE</w:instrText></w:r>" + run("caf&#233; &amp; co")));
    const auto archive = ZipArchive::open(path);
    ASSERT_TRUE(archive);
    EXPECT_EQ(docxText(*archive, kMaxPackageMemberBytes), "before\nboxed\nafter\ncaf\u00e9 & co\n");
}

TEST_F(WordExtractorTest, DocxWithoutItsMainPartOrOverTheBoundGivesNothing)
{
    const std::string noBody = testing::writeTestFile(home.file("empty.docx"), testing::zipBytes({ { "word/styles.xml", "<w:styles/>" } }));
    EXPECT_EQ(extractDocx(noBody, {}), Chunks {});
    ExtractorOptions small;
    small.maxMemberBytes = 64;
    EXPECT_EQ(extractDocx(writeDocx(paragraph(run("a rather long paragraph of text"))), small), Chunks {});
    EXPECT_EQ(extractDocx(home.file("absent.docx"), {}), Chunks {});
}

TEST_F(WordExtractorTest, BinaryDocumentsGoThroughTheConverter)
{
    const std::string doc = testing::writeTestFile(home.file("old.doc"), std::string("\xD0\xCF\x11\xE0 binary", 11));
    ExtractorOptions options;
    // The path is the converter's last argument; its exit status does not count.
    options.wordConverter = { converter("printf 'first para\\nsame para\\n\\nsecond para: %s\\n' \"$1\"; exit 3") };
    EXPECT_EQ(extractChunks(doc, "docx", options), (Chunks { para("¶1", "first para same para"), para("¶2", "second para: " + doc) }));

    // Undecodable output counts as empty; a converter that cannot start gives nothing.
    options.wordConverter = { converter("printf 'bad \\377 bytes\\n'") };
    EXPECT_EQ(extractDocx(doc, options), Chunks {});
    options.wordConverter = { home.file("no-such-converter") };
    EXPECT_EQ(extractDocx(doc, options), Chunks {});
}

TEST_F(WordExtractorTest, DocFilesHoldingPackagesOrRichTextAreReadInPlace)
{
    ExtractorOptions options;
    options.wordConverter = { converter("echo converter ran") };
    const std::string docx = writeDocx(paragraph(run("packaged")), "renamed.doc");
    EXPECT_EQ(extractChunks(docx, "docx", options), (Chunks { para("¶1", "packaged") }));
    const std::string rtf = testing::writeTestFile(home.file("saved.doc"), "{\\rtf1\\ansi rich\\par}");
    EXPECT_EQ(extractChunks(rtf, "docx", options), (Chunks { para("¶1", "rich") }));
}

bool processGone(pid_t pid)
{
    for (int attempt = 0; attempt < 200; ++attempt) {
        if (::kill(pid, 0) != 0 && errno == ESRCH)
            return true;
        std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
        std::string pidText, name, state;
        if (stat >> pidText >> name >> state && state == "Z")
            return true; // ended, waiting for its new parent to reap it
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

TEST_F(WordExtractorTest, AHangingConverterIsEndedAtItsTimeLimit)
{
    const std::string doc = testing::writeTestFile(home.file("slow.doc"), "binary");
    const std::string pids = home.file("pids");
    ExtractorOptions options;
    options.wordConverter = { converter("echo partial output; sleep 30 & echo $$ $! > '" + pids + "'; wait") };
    options.converterTimeoutSeconds = 0.3;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(extractDocx(doc, options), Chunks {}) << "a converter that ran out of time gives nothing";
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    std::ifstream written(pids);
    pid_t shell = 0;
    pid_t sleeper = 0;
    ASSERT_TRUE(written >> shell >> sleeper);
    EXPECT_TRUE(processGone(shell));
    EXPECT_TRUE(processGone(sleeper)) << "the converter's whole process group is ended";
}

TEST_F(WordExtractorTest, TheRealConverterAnswersForFilesItCannotRead)
{
    // No Word document can be made here; a file that is none gives nothing, promptly.
    const std::string doc = testing::writeTestFile(home.file("fake.doc"), std::string(2048, 'z'));
    EXPECT_EQ(extractDocx(doc, {}), Chunks {});
}

}
}
