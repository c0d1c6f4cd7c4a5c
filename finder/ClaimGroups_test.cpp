#include "finder/ClaimGroups.h"

#include "platform/core/Json.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace ikw::finder {
namespace {

using Names = std::vector<std::string>;

const Json kTypes = Json::parse(R"({
    "com.adobe.pdf": { "mime": "application/pdf", "ext": "pdf" },
    "public.plain-text": { "mime": "text/plain", "ext": "txt" },
    "net.daringfireball.markdown": { "mime": "text/markdown", "ext": "md" },
    "public.html": { "mime": "text/html", "ext": "html" },
    "public.folder": { "mime": "inode/directory" },
    "public.directory": { "mime": "inode/directory" }
})");

// Each group as "Name: identifier identifier".
Names described(const std::vector<ClaimGroup>& groups)
{
    Names lines;
    for (const auto& group : groups) {
        std::string line = group.name + ":";
        for (const auto& type : group.types)
            line += " " + type.identifier;
        lines.push_back(line);
    }
    return lines;
}

TEST(ClaimGroups, DeclaredGroupsAreFilteredInDeclaredOrder)
{
    struct Case {
        const char* name;
        const char* groups;
        std::optional<AllowList> allowed;
        Names expected;
    };
    const Case cases[] = {
        { "a group of only never-claimed or unknown identifiers is left out",
            R"([{"name":"Folder","types":["public.folder","public.directory"]},{"name":"Mystery","types":["com.example.mystery"]},
                {"name":"PDF Document","types":["com.example.mystery","com.adobe.pdf","public.html"]}])",
            std::nullopt, { "PDF Document: com.adobe.pdf" } },
        { "an allow-list keeps a group only with an allowed identifier, and only those identifiers",
            R"([{"name":"PDF Document","types":["com.adobe.pdf"]},{"name":"Text","types":["public.plain-text","net.daringfireball.markdown"]}])",
            AllowList { "net.daringfireball.markdown" }, { "Text: net.daringfireball.markdown" } },
        { "the allow-list never lets web pages or folders in",
            R"([{"name":"Web Page","types":["public.html"]},{"name":"Folder","types":["public.folder"]},{"name":"Text","types":["public.html","public.plain-text"]}])",
            AllowList { "public.html", "public.folder", "public.plain-text" }, { "Text: public.plain-text" } },
        { "filtering does not reorder, and an identifier allowed only in another case does not match",
            R"([{"name":"Text","types":["net.daringfireball.markdown","public.plain-text"]},{"name":"PDF Document","types":["com.adobe.pdf"]}])",
            AllowList { "com.adobe.pdf", "public.plain-text", "NET.DARINGFIREBALL.MARKDOWN" }, { "Text: public.plain-text", "PDF Document: com.adobe.pdf" } },
        { "entries without a name or a list of identifiers are skipped",
            R"([{"types":["com.adobe.pdf"]},{"name":"Text","types":"public.plain-text"},{"name":7,"types":[]},{"name":"Mixed","types":["com.adobe.pdf",3]},
                {"name":"Text","types":["public.plain-text"]}])",
            std::nullopt, { "Text: public.plain-text" } },
        { "no declared groups", "[]", std::nullopt, {} },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto declared = parseDeclaredTypes(Json { { "groups", Json::parse(c.groups) }, { "types", kTypes } });
        EXPECT_EQ(described(claimGroups(declared, c.allowed)), c.expected);
    }
}

TEST(ClaimGroups, AllowListOnlyFromANonEmptyArrayOfStrings)
{
    const std::pair<const char*, std::optional<AllowList>> cases[] = {
        { R"({"name":"Inkwarden"})", std::nullopt },
        { "not json", std::nullopt },
        { R"(["com.adobe.pdf"])", std::nullopt },
        { R"({"default_app_types":[]})", std::nullopt },
        { R"({"default_app_types":"com.adobe.pdf"})", std::nullopt },
        { R"({"default_app_types":["com.adobe.pdf",1]})", std::nullopt },
        { R"({"default_app_types":["com.adobe.pdf","public.plain-text"]})", AllowList { "com.adobe.pdf", "public.plain-text" } },
    };
    for (const auto& [brand, expected] : cases) {
        SCOPED_TRACE(brand);
        EXPECT_EQ(allowListFrom(brand), expected);
    }
}

TEST(ClaimGroups, ATypeInTwoGroupsIsClaimedTwiceAndExtensionsKeepFirstOccurrences)
{
    const auto declared = parseDeclaredTypes(Json {
        { "groups", Json::parse(R"([{"name":"PDF Document","types":["com.adobe.pdf"]},
            {"name":"Documents","types":["com.adobe.pdf","public.plain-text","com.example.pdf-too","public.folder","com.example.no-ext"]}])") },
        { "types", Json::parse(R"({"com.adobe.pdf":{"mime":"application/pdf","ext":"pdf"},"public.plain-text":{"mime":"text/plain","ext":"txt"},
            "com.example.pdf-too":{"mime":"application/x-pdf","ext":"pdf"},"com.example.no-ext":{"mime":"application/x-none"},
            "public.folder":{"mime":"inode/directory"}})") },
    });
    const auto groups = claimGroups(declared, std::nullopt);
    const auto types = claimedTypes(groups);
    Names mimeTypes;
    std::transform(types.begin(), types.end(), std::back_inserter(mimeTypes), [](const ContentType& type) { return type.mimeType; });
    EXPECT_EQ(mimeTypes, (Names { "application/pdf", "application/pdf", "text/plain", "application/x-pdf", "application/x-none" }));
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(groupExtensions(groups[0]), ".pdf");
    EXPECT_EQ(groupExtensions(groups[1]), ".pdf .txt");
    EXPECT_EQ(groupExtensions(ClaimGroup { "None", { { "com.example.no-ext", "application/x-none", "" } } }), "");
}

// The built desktop entry announces each claimable declared type once and keeps its URL schemes.
TEST(DesktopEntry, MimeTypeLineListsEveryDeclaredTypeOnceWithTheSchemes)
{
    const std::string entry = testing::readTestFile(std::string(IKW_BUNDLE_RESOURCES) + "/com.norvale.inkwarden.desktop.in");
    const auto declared = parseJson(testing::readTestFile(std::string(IKW_SOURCE_DIR) + "/resources/document_types.json"));
    ASSERT_TRUE(declared);
    const auto at = entry.find("\nMimeType=");
    ASSERT_NE(at, std::string::npos);
    const auto lineStart = at + std::string("\nMimeType=").size();
    Names listed;
    for (std::size_t from = lineStart, semicolon; (semicolon = entry.find(';', from)) < entry.find('\n', lineStart); from = semicolon + 1)
        listed.push_back(entry.substr(from, semicolon - from));

    std::set<std::string> expected { "x-scheme-handler/qeliz", "x-scheme-handler/inkwarden" };
    for (const auto& [identifier, type] : (*declared)["types"].items()) {
        if (!isNeverClaimed(identifier))
            expected.insert(type["mime"].get<std::string>());
    }
    EXPECT_EQ(std::set<std::string>(listed.begin(), listed.end()), expected);
    EXPECT_EQ(listed.size(), expected.size()) << "a type is listed twice";
    EXPECT_NE(std::find(listed.begin(), listed.end(), "application/pdf"), listed.end());
    EXPECT_EQ(std::find(listed.begin(), listed.end(), "inode/directory"), listed.end());
    EXPECT_EQ(std::find(listed.begin(), listed.end(), "text/html"), listed.end());
    EXPECT_EQ(entry.find('@' + std::string("IKW_MIME_TYPES@")), std::string::npos);
}

}
}
