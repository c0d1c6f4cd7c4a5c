#include "library/ReaderURL.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace ikw::library {
namespace {

constexpr const char* kPage = "/engine/vendor/pdfjs/reader.html";
const std::string kDefaults = "&sb=1&z=page-width&zw=1&ptmode=system";

std::string build(const ReaderURLRequest& request, const Json& settings = Json::object(), const ReaderLook& look = {})
{
    return readerURL(request, settings, look, kPage).value_or("(none)");
}

TEST(ReaderURL, ItemsComeInTheirOrderWithDefaults)
{
    struct Case {
        ReaderURLRequest request;
        std::string expected; // after "file:///engine/vendor/pdfjs/reader.html?pdf=/a.pdf&orig=/a.docx&theme=light"
    };
    const Case cases[] = {
        { { "/a.pdf", "/a.docx" }, kDefaults },
        { { "/a.pdf", "/a.docx", 0 }, kDefaults },
        { { "/a.pdf", "/a.docx", -3 }, kDefaults },
        { { "/a.pdf", "/a.docx", 12, "" }, kDefaults + "&page=12" },
        { { "/a.pdf", "/a.docx", std::nullopt, "rename" }, kDefaults + "&verb=rename" },
        { { "/a.pdf", "/a.docx", std::nullopt, std::nullopt, ReaderRun { 0, 1, "solo" } }, kDefaults },
        { { "/a.pdf", "/a.docx", 2, "sign", ReaderRun { 0, 3, "Run" } }, kDefaults + "&page=2&verb=sign&run=1/3&runname=Run" },
        { { "/a.pdf", "/a.docx", 2, std::nullopt, std::nullopt, "0f8e-id-of-a" }, "&docid=0f8e-id-of-a" + kDefaults + "&page=2" },
        { { "/a.pdf", "/a.docx", std::nullopt, std::nullopt, std::nullopt, "" }, kDefaults },
    };
    for (const auto& test : cases) {
        EXPECT_EQ(build(test.request), std::string("file:///engine/vendor/pdfjs/reader.html?pdf=/a.pdf&orig=/a.docx&theme=light") + test.expected);
    }
}

TEST(ReaderURL, SettingsAndLookShapeTheDisplayItems)
{
    struct Case {
        Json settings;
        ReaderLook look;
        std::string expected;
    };
    const Case cases[] = {
        { { { "reader_statusbar", false }, { "reader_default_zoom", "" }, { "reader_zoom_with_window", "no" } }, {},
            "&theme=light&sb=0&z=&zw=1&ptmode=system" },
        { { { "reader_default_zoom", 150 } }, {}, "&theme=light&sb=1&z=page-width&zw=1&ptmode=system" },
        { { { "reading_theme_files", "system" } }, { "dark", false }, "&theme=dark&sb=1&z=page-width&zw=1&ptmode=system&ptheme=night" },
        { { { "reading_theme_files", "system" } }, { "light", true }, "&theme=light&sb=1&z=page-width&zw=1&ptmode=system" },
        // Absent or not text counts as "system"; the page follows the scheme, not the night.
        { Json::object(), { "dark", false }, "&theme=dark&sb=1&z=page-width&zw=1&ptmode=system&ptheme=night" },
        { Json::object(), { "light", true }, "&theme=light&sb=1&z=page-width&zw=1&ptmode=system" },
        { { { "reading_theme_files", 1 } }, { "dark", false }, "&theme=dark&sb=1&z=page-width&zw=1&ptmode=system&ptheme=night" },
        { { { "reading_theme_files", "perfile" } }, { "dark", false }, "&theme=dark&sb=1&z=page-width&zw=1&ptmode=perfile" },
        { { { "reading_theme_files", "perfile" } }, { "light", true }, "&theme=light&sb=1&z=page-width&zw=1&ptmode=perfile&ptheme=night" },
        // The stored pairing code follows the page theme; none is made for the page.
        { { { "pair_code", "K7M2P9QX" } }, { "dark", false }, "&theme=dark&sb=1&z=page-width&zw=1&ptmode=system&ptheme=night&pair=K7M2P9QX" },
        { { { "pair_code", "" } }, {}, "&theme=light&sb=1&z=page-width&zw=1&ptmode=system" },
        { { { "pair_code", 42 } }, {}, "&theme=light&sb=1&z=page-width&zw=1&ptmode=system" },
    };
    for (const auto& test : cases)
        EXPECT_EQ(build({ "/a.pdf", "/a.pdf" }, test.settings, test.look), "file:///engine/vendor/pdfjs/reader.html?pdf=/a.pdf&orig=/a.pdf" + test.expected) << test.settings.dump();
    EXPECT_EQ(build({ "/a.pdf", "/a.pdf", 3 }, { { "pair_code", "K7M2P9QX" } }),
        "file:///engine/vendor/pdfjs/reader.html?pdf=/a.pdf&orig=/a.pdf&theme=light" + kDefaults + "&pair=K7M2P9QX&page=3");
}

TEST(ReaderURL, ValuesArePercentEncoded)
{
    const auto url = build({ "/tmp/A & B=1+2#3 100%.pdf", "/Users/Zoë/Ünïcode file.docx", std::nullopt, "x y", ReaderRun { 1, 2, "Q&A run" } });
    EXPECT_EQ(url,
        "file:///engine/vendor/pdfjs/reader.html?pdf=/tmp/A%20%26%20B%3D1%2B2%233%20100%25.pdf"
        "&orig=/Users/Zo%C3%AB/%C3%9Cn%C3%AFcode%20file.docx&theme=light"
        + kDefaults + "&verb=x%20y&run=2/2&runname=Q%26A%20run");
    EXPECT_EQ(readerURL({ "/a.pdf", "/a.pdf" }, Json::object(), {}, "relative/reader.html"), std::nullopt);
}

// The id comes from the document the user opened, else from the PDF; a file that cannot keep one
// gives a page address without "docid".
TEST(ReaderURL, TheDocumentIdIsTheOpenedFilesAndOnlyWhenItCanBeStored)
{
    const auto folder = ::testing::TempDir();
    const std::string pdf = folder + "/shown.pdf";
    const std::string original = folder + "/opened.docx";
    for (const auto& path : { pdf, original })
        std::fclose(std::fopen(path.c_str(), "w"));
    std::vector<std::string> asked;
    const services::IkwDocIdentity::AttributeCalls refusing {
        .get = [&asked](const char* path, const char*, void*, std::size_t) -> ssize_t {
            asked.emplace_back(path);
            errno = ENODATA;
            return -1;
        },
        .set = [](const char*, const char*, const void*, std::size_t) {
            errno = EROFS;
            return -1;
        },
    };
    ReaderURLRequest request { pdf, original };
    EXPECT_EQ(readerDocId(request, refusing), std::nullopt);
    request.orig.clear();
    EXPECT_EQ(readerDocId(request, refusing), std::nullopt);
    EXPECT_EQ(asked, (std::vector<std::string> { original, pdf }));

    request.docId = readerDocId(request, refusing);
    EXPECT_EQ(build(request).find("docid"), std::string::npos);
}

}
}
