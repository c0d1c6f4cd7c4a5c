#include "crossdoc/HitLocation.h"
#include "crossdoc/SearchIndex.h"

#include "platform/core/Paths.h"
#include "tests/support/TempHome.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>

#include <unistd.h>

namespace ikw::crossdoc {
namespace {

using ::testing::ElementsAre;

// An index over files whose chunks the test gives directly.
class SearchIndexQueryTest : public ::testing::Test {
protected:
    // Adds a document of one "line" chunk per body.
    std::string add(const std::string& relative, const std::vector<std::string>& bodies)
    {
        const std::string path = testing::writeTestFile(home.file(relative), relative);
        std::vector<Chunk> chunks;
        for (std::size_t index = 0; index < bodies.size(); ++index)
            chunks.push_back({ "line", "L" + std::to_string(index + 1), 0, bodies[index] });
        m_chunks[path] = std::move(chunks);
        m_files.push_back(path);
        return path;
    }

    void reindex() { index.reindex({}, m_files); }

    static std::vector<std::string> names(const std::vector<IWDocResult>& documents)
    {
        std::vector<std::string> result;
        for (const IWDocResult& document : documents)
            result.push_back(document.name);
        return result;
    }

    testing::TempHome home;
    std::map<std::string, std::vector<Chunk>> m_chunks;
    std::vector<std::string> m_files;
    IWSearchIndex index { home.file("index/searchindex.db"),
        [this](const std::string& path, const std::string&, const ExtractorOptions&) { return m_chunks[path]; } };
};

TEST_F(SearchIndexQueryTest, ExactHitsKeepTheChunksCaseAndPlace)
{
    const std::string path = add("Matter/brief.md", { "intro", "The CONTRACT was signed." });
    reindex();
    const auto results = index.searchExact("  contract\n");
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0], (IWDocResult { path, "brief.md", "md", 1,
        { { path, "brief.md", "md", "line", "L2", 0, "The CONTRACT was signed.", "CONTRACT", false } }, false }));
}

TEST_F(SearchIndexQueryTest, ShortAndQuotedQueries)
{
    add("a.txt", { "ab cd", "they said \"yes\" twice", "a\"b" });
    reindex();
    for (const char* tooShort : { "ab", " ab\n", "\t\n" }) {
        EXPECT_TRUE(index.searchExact(tooShort).empty()) << tooShort;
        EXPECT_TRUE(index.searchFuzzy(tooShort).empty()) << tooShort;
    }
    // A double quote is matched as itself inside the phrase.
    const auto quoted = index.searchExact("said \"yes\"");
    ASSERT_EQ(quoted.size(), 1u);
    EXPECT_EQ(quoted[0].hits[0].match, "said \"yes\"");
    // Every trigram of this fuzzy query holds a double quote: nothing to look for.
    EXPECT_TRUE(index.searchFuzzy("a\"b").empty());
    EXPECT_TRUE(IWSearchIndex::trigrams("a\"b").empty());
}

TEST_F(SearchIndexQueryTest, ChunksCapTheirHitsWhileDocumentsCountThem)
{
    std::string fifty;
    for (int count = 0; count < 50; ++count)
        fifty += "deal; ";
    add("many.txt", { fifty });
    add("spread.txt", std::vector<std::string>(45, "one deal here"));
    reindex();
    const auto results = index.searchExact("deal");
    ASSERT_EQ(results.size(), 2u);
    EXPECT_EQ(results[0].name, "spread.txt");
    EXPECT_EQ(results[0].count, 45);
    EXPECT_EQ(results[0].hits.size(), 40u);
    EXPECT_EQ(results[1].count, 40) << "one chunk gives at most hitsPerDoc hits";
    EXPECT_EQ(results[1].hits.size(), 40u);
    EXPECT_EQ(index.searchExact("deal", 1, 3)[0].hits.size(), 3u);
}

TEST_F(SearchIndexQueryTest, DocumentsWithMoreHitsComeFirstAndTiesKeepRankOrder)
{
    // bm25 ranks a short chunk above a long one with the same match.
    add("long.txt", { "lease " + std::string(600, 'x') });
    add("short.txt", { "lease" });
    add("twice.txt", { "lease lease " + std::string(900, 'y') });
    reindex();
    EXPECT_THAT(names(index.searchExact("lease")), ElementsAre("twice.txt", "short.txt", "long.txt"));
    EXPECT_THAT(names(index.searchExact("lease", 2)), ElementsAre("twice.txt", "short.txt"));
}

TEST_F(SearchIndexQueryTest, FuzzyHitsPickTheClosestWords)
{
    // A short word beside the best one scores as much ("the agreement": 15) and would win as the
    // earlier window; "signed agreement" is 8 characters longer than the query and scores 14.
    add("contract.txt", { "Both parties signed agreement today." });
    add("other.txt", { "nothing alike" });
    reindex();
    const auto results = index.searchFuzzy("agrement");
    ASSERT_EQ(results.size(), 1u);
    EXPECT_TRUE(results[0].fuzzy);
    ASSERT_EQ(results[0].hits.size(), 1u);
    EXPECT_EQ(results[0].hits[0].match, "agreement");
    EXPECT_TRUE(results[0].hits[0].fuzzy);
    EXPECT_EQ(results[0].hits[0].snippet, "Both parties signed agreement today.");

    const FuzzyQuery agrement("agrement");
    EXPECT_EQ(fuzzyLocate("agreement", agrement)->score, 15) << "5 shared trigrams, lengths 8 and 9";
    EXPECT_EQ(fuzzyLocate("sign the agreement", agrement)->match, "the agreement");
    EXPECT_EQ(fuzzyLocate("agreemenx agreemenz", FuzzyQuery("agreement"))->match, "agreemenx") << "ties keep the earlier window";
    EXPECT_FALSE(fuzzyLocate("xyz qrs", agrement));
    EXPECT_FALSE(fuzzyLocate(" \n\t", agrement));
}

TEST_F(SearchIndexQueryTest, FuzzyWordsSplitByOtherSpaceFallBackToTheChunksStart)
{
    const std::string body = "agreement  terms " + std::string(130, 'z');
    const auto found = fuzzyLocate(body, FuzzyQuery("agreement terms"));
    ASSERT_TRUE(found);
    EXPECT_EQ(found->match, "agreement terms");
    EXPECT_EQ(found->snippet, body.substr(0, 120) + "\u2026");
    EXPECT_EQ(fuzzyLocate("agreement  terms\nend", FuzzyQuery("agreement terms"))->snippet, "agreement  terms end");
}

TEST(HitLocationTest, SnippetsAndTrigramsCountCharacters)
{
    const std::string before(60, 'a');
    const std::string after(60, 'b');
    const std::string body = before + "\u00e9t\u00e9 MATCH\r\n" + after;
    const std::size_t at = body.find("MATCH");
    // 48 characters either side: the accented ones count once each.
    EXPECT_EQ(hitSnippet(body, { at, at + 5 }), "\u2026" + std::string(44, 'a') + "\u00e9t\u00e9 MATCH  " + std::string(47, 'b') + "\u2026");
    EXPECT_EQ(hitSnippet(" \tstart of text\t", { 2, 7 }), "start of text");
    EXPECT_THAT(trigrams("ABcab"), ElementsAre("abc", "bca", "cab"));
    EXPECT_THAT(trigrams("aaaa"), ElementsAre("aaa"));
    EXPECT_THAT(trigrams("E\u0301T\u00c9!"), ElementsAre("e\u0301t\u00e9", "t\u00e9!"));
    EXPECT_TRUE(trigrams("\u00e9t").empty());
}

TEST_F(SearchIndexQueryTest, APathFilterKeepsItsDocumentsBeforeTheRowCap)
{
    for (int number = 0; number < 6; ++number)
        add("AB/near" + std::to_string(number) + ".txt", { "deed" });
    add("A/sub/far.txt", { "deed " + std::string(800, 'q') });
    add("given.txt", { "deed " + std::string(900, 'r') });
    reindex();
    const IndexPathFilter folderA { .files = {}, .folders = { home.file("A") } };
    EXPECT_THAT(names(index.searchExact("deed", 1, 1, folderA)), ElementsAre("far.txt"))
        << "the cap of 2 rows would hold only better ranked rows of AB";
    EXPECT_THAT(names(index.searchFuzzy("deed", 200, 20, folderA)), ElementsAre("far.txt"));
    EXPECT_THAT(names(index.searchExact("deed", 300, 40, IndexPathFilter { .files = { home.file("given.txt") }, .folders = { home.file("A") + "/" } })),
        ElementsAre("far.txt", "given.txt"));
    EXPECT_TRUE(index.searchExact("deed", 300, 40, IndexPathFilter {}).empty());
    EXPECT_EQ(index.searchExact("deed").size(), 8u) << "no filter: every document";
}

TEST_F(SearchIndexQueryTest, DocumentsWhoseFileIsGoneAreLeftOutBeforeTheDocumentLimit)
{
    const std::string gone = add("A/gone.txt", { "deed deed deed" });
    add("A/kept.txt", { "deed" });
    reindex();
    ASSERT_EQ(::unlink(gone.c_str()), 0);
    const IndexPathFilter existing { .files = {}, .folders = { home.file("A") }, .existingFilesOnly = true };
    EXPECT_THAT(names(index.searchExact("deed", 1, 40, existing)), ElementsAre("kept.txt")) << "the gone file had more hits";
    EXPECT_THAT(names(index.searchFuzzy("deed", 1, 20, existing)), ElementsAre("kept.txt"));
    EXPECT_THAT(names(index.searchExact("deed", 1, 40, IndexPathFilter { .files = {}, .folders = { home.file("A") } })), ElementsAre("gone.txt"))
        << "the index itself still holds it";
}

}
}
