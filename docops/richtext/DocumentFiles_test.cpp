#include "docops/richtext/DocumentFiles.h"

#include "docops/richtext/testing/RichTextTesting.h"
#include "platform/core/fake/FaultyFileSystem.h"
#include "tests/support/TempHome.h"
#include "tests/support/ZipFixtures.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace ikw::richtext {
namespace {

using namespace testing;

TEST(DocumentFiles, TheExtensionChoosesTheFormat)
{
    struct Case {
        const char* path;
        EditorDocType type;
    };
    const Case cases[] = {
        { "/docs/Brief.docx", EditorDocType::Docx },
        { "/docs/LETTER.DOCX", EditorDocType::Docx },
        { "notes.Rtf", EditorDocType::Rtf },
        { "/docs/readme.md", EditorDocType::PlainText },
        { "/docs/notes.txt", EditorDocType::PlainText },
        { "/docs.docx/no extension", EditorDocType::PlainText },
        { "/docs/.rtf", EditorDocType::PlainText },
        { "/docs/Brief.docx.txt", EditorDocType::PlainText },
    };
    for (const Case& c : cases)
        EXPECT_EQ(editorDocType(c.path), c.type) << c.path;
    EXPECT_TRUE(isRichText(EditorDocType::Docx));
    EXPECT_FALSE(isRichText(EditorDocType::PlainText));
}

TEST(DocumentFiles, EveryTypeWritesAndReadsBack)
{
    ikw::testing::TempHome home;
    const Document rich = everyAttribute();
    for (const char* name : { "a.docx", "a.rtf" }) {
        const std::string path = home.file(name);
        ASSERT_TRUE(writeDocumentFile(realFileSystem(), path, rich).ok()) << name;
        const auto read = readDocumentFile(path);
        ASSERT_TRUE(read) << read.error();
        EXPECT_EQ(read.value(), rich) << name;
    }
    const std::string markdown = ikw::testing::writeTestFile(home.file("notes.md"), "# Notes\r\n\r\n\u00e9\u20ac\U0001D11E\r\n");
    const auto plain = readDocumentFile(markdown);
    ASSERT_TRUE(plain) << plain.error();
    ASSERT_TRUE(writeDocumentFile(realFileSystem(), markdown, plain.value()).ok());
    EXPECT_EQ(ikw::testing::readTestFile(markdown), "# Notes\r\n\r\n\u00e9\u20ac\U0001D11E\r\n");
}

TEST(DocumentFiles, AFailedWriteLeavesTheFileAsItWas)
{
    ikw::testing::TempHome home;
    const std::string path = ikw::testing::writeTestFile(home.file("docs/keep.rtf"), "{\\rtf1 original}");
    FaultyFileSystem fileSystem;
    fileSystem.fail(FaultyFileSystem::Operation::Replace);
    EXPECT_FALSE(writeDocumentFile(fileSystem, path, document({ paragraph({ run("new") }) })).ok());
    fileSystem.clearFailures();
    const IoStatus unencodable = writeDocumentFile(fileSystem, path, document({ paragraph({ run("bad \xff") }) }));
    EXPECT_EQ(unencodable.message(), "The text is not valid UTF-8.");
    EXPECT_EQ(ikw::testing::readTestFile(path), "{\\rtf1 original}");
    EXPECT_EQ(ikw::testing::folderEntries(home.file("docs")), std::vector<std::string> { "keep.rtf" }) << "no temporary file is left";
}

TEST(DocumentFiles, UnreadableFilesGiveAMessageNamingThem)
{
    ikw::testing::TempHome home;
    const std::string fifo = home.file("pipe.txt");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string folder = home.file("folder.txt");
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
    const std::string huge = home.file("huge.txt");
    ikw::testing::writeTestFile(huge, "");
    ASSERT_EQ(::truncate(huge.c_str(), static_cast<off_t>(kMaxPlainTextBytes + 1)), 0);
    const std::string cut = ikw::testing::writeTestFile(home.file("cut.docx"),
        ikw::testing::zipBytes({ { "word/document.xml", "<w:document/>" } }).substr(0, 60));
    const std::string latin1 = ikw::testing::writeTestFile(home.file("latin1.txt"), "caf\xe9");

    struct Case {
        std::string path;
        std::string message;
    };
    const Case cases[] = {
        { home.file("absent.rtf"), "The file “absent.rtf” could not be read: No such file or directory." },
        { home.file("absent.docx"), "The file “absent.docx” could not be read: No such file or directory." },
        { fifo, "The file “pipe.txt” is not a regular file." },
        { folder, "The file “folder.txt” is not a regular file." },
        { huge, "The file “huge.txt” is larger than 32 MB, more than the editor opens." },
        { cut, "The file “cut.docx” is not a Word document (.docx): its zip package is missing or damaged. "
               "Password-protected documents cannot be edited." },
        { latin1, "The file is not UTF-8 text: the byte at offset 3 is not part of a valid character." },
    };
    for (const Case& c : cases) {
        const auto read = readDocumentFile(c.path);
        ASSERT_FALSE(read) << c.path;
        EXPECT_EQ(read.error(), c.message);
    }
}

}
}
