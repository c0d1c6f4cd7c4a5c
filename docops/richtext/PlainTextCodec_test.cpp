#include "docops/richtext/PlainTextCodec.h"

#include "docops/richtext/testing/RichTextTesting.h"
#include "tests/support/TempHome.h"

#include <dirent.h>

#include <gtest/gtest.h>

#include <vector>

namespace ikw::richtext {
namespace {

using namespace testing;

TEST(PlainTextCodec, WritesBackEveryByteItRead)
{
    const std::string cases[] = {
        "",
        "\n",
        "one line without an end",
        "# Title\r\n\r\nA CRLF Markdown file, caf\u00e9.\r\n- item\r\n",
        "old\rMac\rlines\r",
        "mixed\r\nline\nends\rhere\n\n",
        "\xEF\xBB\xBF" "a byte order mark\n",
        "\ttabs, \u2028 and \u2029 stay text, \U0001F600\n",
    };
    for (const std::string& bytes : cases) {
        const auto decoded = decodePlainText(bytes);
        ASSERT_TRUE(decoded) << decoded.error();
        EXPECT_EQ(encodePlainText(decoded.value()).value(), bytes);
    }
}

TEST(PlainTextCodec, LinesBecomeParagraphsOfOneRunWithoutAttributes)
{
    const auto decoded = decodePlainText("first\r\n\r\nthird\n");
    ASSERT_TRUE(decoded);
    Document expected = document({ paragraph({ run("first") }), paragraph({}), paragraph({ run("third") }), paragraph({}) });
    expected.paragraphs[0].lineEnd = LineEnd::CrLf;
    expected.paragraphs[1].lineEnd = LineEnd::CrLf;
    expected.paragraphs[2].lineEnd = LineEnd::Lf;
    expected.defaultLineEnd = LineEnd::CrLf; // the first the file used
    EXPECT_EQ(decoded.value(), expected);

    // A paragraph the editor adds takes the file's own line end.
    Document edited = decoded.value();
    edited.paragraphs.insert(edited.paragraphs.begin() + 1, paragraph({ run("new") }));
    EXPECT_EQ(encodePlainText(edited).value(), "first\r\nnew\r\n\r\nthird\n");
}

TEST(PlainTextCodec, WritesUtf8AndIgnoresAttributes)
{
    Document document = testing::document({ paragraph({ run("\u00e9\u20ac"), run("\U0001D11E", bold()) }, Alignment::Center) });
    EXPECT_EQ(encodePlainText(document).value(), "\xC3\xA9\xE2\x82\xAC\xF0\x9D\x84\x9E");
    document.paragraphs[0].runs[0].text = "\xff";
    EXPECT_FALSE(encodePlainText(document));
}

TEST(PlainTextCodec, RefusesWhatIsNotUtf8Text)
{
    struct Case {
        std::string bytes;
        std::string message;
    };
    const Case cases[] = {
        { "Latin-1 caf\xe9 here", "The file is not UTF-8 text: the byte at offset 11 is not part of a valid character." },
        { "\xEF\xBB\xBF" "ok\xC0\xAF", "The file is not UTF-8 text: the byte at offset 5 is not part of a valid character." },
        { std::string("binary\0data", 11), "The file is not plain text: it holds a NUL byte at offset 6." },
    };
    for (const Case& c : cases) {
        const auto decoded = decodePlainText(c.bytes);
        ASSERT_FALSE(decoded);
        EXPECT_EQ(decoded.error(), c.message);
    }
}

// Text and Markdown files this system ships, CRLF ones among them: each reads and writes back
// byte for byte, or is refused with a message when it is not UTF-8.
TEST(PlainTextCodec, RealFilesWriteBackUnchanged)
{
    std::vector<std::string> files;
    for (const std::string folder : { "/usr/share/doc/procps", "/usr/share/doc/libglib2.0-0", "/usr/share/antiword", "/usr/share/common-licenses" }) {
        DIR* directory = ::opendir(folder.c_str());
        if (!directory)
            continue;
        while (const dirent* entry = ::readdir(directory)) {
            if (entry->d_name[0] != '.')
                files.push_back(folder + "/" + entry->d_name);
        }
        ::closedir(directory);
    }
    int written = 0;
    int crlf = 0;
    for (const std::string& file : files) {
        const std::string bytes = ikw::testing::readTestFile(file);
        if (bytes.empty() || bytes.size() > kMaxPlainTextBytes)
            continue;
        const auto decoded = decodePlainText(bytes);
        if (!decoded) {
            EXPECT_FALSE(decoded.error().empty()) << file;
            continue;
        }
        EXPECT_EQ(encodePlainText(decoded.value()).value(), bytes) << file;
        ++written;
        crlf += decoded.value().defaultLineEnd == LineEnd::CrLf;
    }
    if (written == 0)
        GTEST_SKIP() << "no text files found";
    RecordProperty("files", written);
    RecordProperty("crlf", crlf);
}

}
}
