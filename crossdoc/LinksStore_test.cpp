#include "crossdoc/LinksTestFixture.h"

#include "platform/core/FileSystem.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <regex>

namespace ikw::crossdoc {
namespace {

class LinksStore : public testing::LinksFixture {
protected:
    std::string stored() const { return realFileSystem().readFile(storePath()).value_or("<none>"); }
    std::string kept() const { return realFileSystem().readFile(storePath() + ".bad").value_or("<none>"); }

    void makeLink(const std::string& from, const std::string& to)
    {
        links->beginLink(Json { { "path", from }, { "page", 1 }, { "text", "passage" } });
        links->finishLink(Json { { "path", to }, { "page", 2 }, { "text", "\u00fcber" } });
    }
};

long long nowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch()).count();
}

TEST_F(LinksStore, LinksAreKeptInCreationOrderWithSortedKeysAndWholeMilliseconds)
{
    EXPECT_EQ(linksStorePath(), storePath());
    EXPECT_TRUE(std::filesystem::is_directory(home.file(".local/share/Inkwarden")));

    const long long before = nowMs();
    makeLink("/d/one.pdf", "/d/two.pdf");
    makeLink("/d/three.pdf", "/d/four.pdf");
    const long long after = nowMs();

    const std::string text = stored();
    EXPECT_EQ(text, toPrettyJson(Json(loadLinks())));
    const auto records = parseJson(text).value_or(Json());
    ASSERT_TRUE(records.is_array() && records.size() == 2) << text;
    EXPECT_EQ(records[0]["a"]["path"], "/d/one.pdf");
    EXPECT_EQ(records[1]["a"]["path"], "/d/three.pdf");
    const std::regex uuid("[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}");
    for (const auto& record : records) {
        std::vector<std::string> keys;
        for (const auto& [key, value] : record.items())
            keys.push_back(key);
        EXPECT_EQ(keys, (std::vector<std::string> { "a", "b", "created", "id", "note" }));
        ASSERT_TRUE(record["created"].is_number_integer()) << record.dump();
        EXPECT_GE(record["created"].get<long long>(), before);
        EXPECT_LE(record["created"].get<long long>(), after);
        EXPECT_TRUE(std::regex_match(record["id"].get<std::string>(), uuid)) << record["id"];
        EXPECT_EQ(record["note"], "");
    }
    EXPECT_NE(records[0]["id"], records[1]["id"]);
    // The text itself reads a, b, created, id, note in every record.
    const auto firstRecord = text.substr(0, text.find("\"note\""));
    EXPECT_LT(firstRecord.find("\"a\""), firstRecord.find("\"b\""));
    EXPECT_LT(firstRecord.find("\"b\""), firstRecord.find("\"created\""));
    EXPECT_LT(firstRecord.find("\"created\""), firstRecord.find("\"id\""));
}

TEST_F(LinksStore, ADamagedStoreReadsAsEmptyAndIsKeptAsideBeforeTheNextWrite)
{
    const char* damaged[] = { "{not json", "{\"a\":1}", "[1,2]", "[{\"id\":\"X\"},\"stray\"]", "", "\xff\xfe[" };
    for (const char* text : damaged) {
        SCOPED_TRACE(text);
        realFileSystem().removeFile(storePath() + ".bad");
        ikw::testing::writeTestFile(storePath(), text);
        EXPECT_TRUE(loadLinks().empty());
        EXPECT_TRUE(linksInvolving("/d/one.pdf").empty());

        makeLink("/d/one.pdf", "/d/two.pdf");
        EXPECT_EQ(kept(), text);
        const auto now = loadLinks();
        ASSERT_EQ(now.size(), 1u);
        EXPECT_EQ(now[0]["b"]["path"], "/d/two.pdf");

        makeLink("/d/two.pdf", "/d/three.pdf"); // a sound store is not kept again
        EXPECT_EQ(kept(), text);
        EXPECT_EQ(loadLinks().size(), 2u);
    }
}

TEST_F(LinksStore, AStoreThatCannotBeReadIsMovedAsideAndAMissingOneNeedsNothing)
{
    links->deleteLink("NOBODY"); // missing: written as the empty store, nothing kept
    EXPECT_EQ(stored(), "[]");
    EXPECT_FALSE(realFileSystem().exists(storePath() + ".bad"));

    realFileSystem().removeFile(storePath());
    std::filesystem::create_directory(storePath()); // exists, but reads as nothing
    ikw::testing::writeTestFile(storePath() + "/inside", "x");
    makeLink("/d/one.pdf", "/d/two.pdf");
    EXPECT_TRUE(std::filesystem::is_regular_file(storePath() + ".bad/inside"));
    EXPECT_EQ(loadLinks().size(), 1u);
}

TEST_F(LinksStore, WhenTheDamagedStoreCannotBeKeptNothingIsWrittenOverIt)
{
    ikw::testing::writeTestFile(storePath(), "{damaged");
    ikw::testing::writeTestFile(storePath() + ".bad/occupied", "x"); // a folder where the copy would go
    makeLink("/d/one.pdf", "/d/two.pdf");
    EXPECT_EQ(stored(), "{damaged");
    EXPECT_FALSE(links->pendingLinkEndpoint); // the flow went on
}

TEST_F(LinksStore, LinksInvolvingADocumentMatchEitherEndAsUnicodeText)
{
    const std::string composed = "/d/Caf\u00e9.pdf";
    const std::string decomposed = "/d/Cafe\u0301.pdf";
    saveLinks({
        Json { { "id", "1" }, { "a", { { "path", decomposed } } }, { "b", { { "path", "/d/x.pdf" } } } },
        Json { { "id", "2" }, { "a", { { "path", "/d/y.pdf" } } }, { "b", { { "path", composed } } } },
        Json { { "id", "3" }, { "a", "/d/Caf\u00e9.pdf" }, { "b", { { "path", 4 } } } },
        Json { { "id", "4" }, { "a", { { "path", "/d/Cafe.pdf" } } } },
        Json { { "id", "5" }, { "b", { { "path", composed } } } },
    });
    std::vector<std::string> ids;
    for (const auto& record : linksInvolving(composed))
        ids.push_back(record["id"]);
    EXPECT_EQ(ids, (std::vector<std::string> { "1", "2", "5" }));
    EXPECT_EQ(linksInvolving(decomposed).size(), 3u);

    EXPECT_EQ(linkEndPath(Json { { "path", "/p" } }), "/p");
    EXPECT_EQ(linkEndPath(Json("/p")), std::nullopt);
    EXPECT_EQ(linkEndPath(Json()), std::nullopt);
    EXPECT_EQ(linkEndPath(Json { { "path", Json::array({ "/p" }) } }), std::nullopt);
}

}
}
