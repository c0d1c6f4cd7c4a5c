#include "crossdoc/SearchIndex.h"

#include "platform/core/Paths.h"
#include "platform/pdf/testing/PdfFixtures.h"
#include "tests/support/CapturedStream.h"
#include "tests/support/TempHome.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <random>

namespace ikw::crossdoc {
namespace {

using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;
using Paths_ = std::vector<std::string>;

// A search index in a throw-away home whose extractor counts what it is asked to cut.
class SearchIndexTest : public ::testing::Test {
protected:
    std::string dbPath() const { return Paths::fromEnvironment().applicationSupport("Inkwarden") + "/searchindex.db"; }

    std::unique_ptr<IWSearchIndex> makeIndex()
    {
        return std::make_unique<IWSearchIndex>(dbPath(), [this](const std::string& path, const std::string& type, const ExtractorOptions& options) {
            extracted.push_back(lastPathComponent(path));
            return extractChunks(path, type, options);
        });
    }

    std::string write(const std::string& relative, const std::string& text) { return testing::writeTestFile(home.file(relative), text); }

    // Moves the file's modification time by whole seconds, keeping its size.
    static void touch(const std::string& path, int seconds = 10)
    {
        struct stat info {};
        ASSERT_EQ(::stat(path.c_str(), &info), 0);
        const timespec times[2] = { info.st_atim, { info.st_mtim.tv_sec + seconds, info.st_mtim.tv_nsec } };
        ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    }

    // The files' names, in any order, that an exact query finds.
    Paths_ namesFound(const std::string& query)
    {
        Paths_ names;
        for (const IWDocResult& document : index->searchExact(query))
            names.push_back(document.name);
        return names;
    }

    testing::TempHome home;
    const std::string folderA = home.file("A");
    const std::string folderB = home.file("B");
    Paths_ extracted;
    std::unique_ptr<IWSearchIndex> index = makeIndex();
};

TEST_F(SearchIndexTest, OpensItsFileWithTheSchemaInWriteAheadLogMode)
{
    ASSERT_TRUE(index->isOpen());
    EXPECT_EQ(index->dbPath(), dbPath());
    EXPECT_TRUE(std::filesystem::exists(dbPath()));
    EXPECT_EQ(index->fileCount(), 0);
    sqlite3_stmt* statement = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(index->connectionForTesting(), "PRAGMA journal_mode;", -1, &statement, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(statement), SQLITE_ROW);
    EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)), "wal");
    sqlite3_finalize(statement);
    // A second instance on the same file finds what the first recorded.
    write("A/one.txt", "alpha line\n");
    index->reindex({ folderA }, {});
    EXPECT_EQ(IWSearchIndex(dbPath()).fileCount(), 1);
}

TEST_F(SearchIndexTest, ReindexExtractsOnlyNewChangedAndUnreadableFiles)
{
    const std::string one = write("A/one.txt", "first file\n");
    write("A/sub/two.md", "second file\n");
    EXPECT_FALSE(index->isFresh({ folderA }, {}));
    EXPECT_EQ(index->reindex({ folderA }, {}), 2u);
    EXPECT_THAT(extracted, ElementsAre("one.txt", "two.md"));
    EXPECT_TRUE(index->isFresh({ folderA }, {}));

    extracted.clear();
    EXPECT_EQ(index->reindex({ folderA }, {}), 0u) << "an unchanged scope extracts nothing";
    EXPECT_TRUE(extracted.empty());

    touch(one);
    EXPECT_FALSE(index->isFresh({ folderA }, {}));
    EXPECT_EQ(index->reindex({ folderA }, {}), 1u);
    EXPECT_THAT(extracted, ElementsAre("one.txt"));

    // A rewrite that keeps the size and the whole-second time is not noticed.
    struct stat before {};
    ::stat(one.c_str(), &before);
    write("A/one.txt", "FIRST FILE\n");
    const timespec times[2] = { before.st_atim, before.st_mtim };
    ::utimensat(AT_FDCWD, one.c_str(), times, 0);
    EXPECT_TRUE(index->isFresh({ folderA }, {}));
    EXPECT_THAT(namesFound("first file"), ElementsAre("one.txt"));
}

TEST_F(SearchIndexTest, FilesLeavingTheScopeLoseTheirRowsAtTheNextReindex)
{
    write("A/keep.txt", "kept words\n");
    const std::string gone = write("A/gone.txt", "vanishing words\n");
    write("B/other.txt", "other words\n");
    index->reindex({ folderA }, {});
    ASSERT_THAT(namesFound("words"), UnorderedElementsAre("keep.txt", "gone.txt"));

    std::filesystem::remove(gone);
    EXPECT_TRUE(index->isFresh({ folderA }, {})) << "files gone from disk do not make the scope stale";
    EXPECT_THAT(namesFound("vanishing"), ElementsAre("gone.txt"));
    extracted.clear();
    EXPECT_EQ(index->reindex({ folderA }, {}), 0u);
    EXPECT_TRUE(namesFound("vanishing").empty());
    EXPECT_EQ(index->fileCount(), 1);

    // B after A: A's rows go, and A is extracted again when it is searched next.
    EXPECT_EQ(index->reindex({ folderB }, {}), 1u);
    EXPECT_THAT(namesFound("words"), ElementsAre("other.txt"));
    EXPECT_FALSE(index->isFresh({ folderA }, {}));
    extracted.clear();
    index->reindex({ folderA }, {});
    EXPECT_THAT(extracted, ElementsAre("keep.txt"));

    // An empty scope is fresh, and its re-index deletes everything.
    const std::string empty = home.file("Empty");
    std::filesystem::create_directories(empty);
    EXPECT_TRUE(index->isFresh({ empty }, {}));
    EXPECT_EQ(index->reindex({ empty }, {}), 0u);
    EXPECT_EQ(index->fileCount(), 0);
    EXPECT_TRUE(namesFound("words").empty());
}

TEST_F(SearchIndexTest, TheScopeWalkTakesIndexableVisibleFilesUpToTheCap)
{
    for (const char* name : { "a.txt", "b.TXT", "c.txt", "d.txt", "notes.png", ".hidden.txt", ".git/config.txt", "Bundle.app/readme.txt", "Report.PDF" })
        write(std::string("A/") + name, "shared words\n");
    const std::string given = write("given.txt", "shared words\n");
    const std::string alsoWalked = folderA + "/a.txt";

    EXPECT_EQ(index->reindex({ folderA }, { given, alsoWalked, home.file("missing.txt"), home.file("picture.png") }, 3), 3u)
        << "the given files count toward the cap";
    // Names sort byte-wise, upper case first.
    EXPECT_THAT(extracted, ElementsAre("given.txt", "a.txt", "Report.PDF"));
    EXPECT_TRUE(index->isFresh({ folderA }, { given, alsoWalked }, 3));
    EXPECT_FALSE(index->isFresh({ folderA }, { given, alsoWalked }, 4)) << "b.TXT joins the scope";

    // Without a cap: hidden files, package contents and other extensions stay out; letter case
    // does not matter.
    extracted.clear();
    EXPECT_EQ(index->reindex({ folderA }, {}), 3u);
    EXPECT_THAT(extracted, ElementsAre("b.TXT", "c.txt", "d.txt"));
    EXPECT_EQ(index->fileCount(), 5) << "given.txt left the scope";

    // Given files are always taken, also beyond the cap; the folders then add nothing, and what
    // was indexed beyond the cap is dropped.
    extracted.clear();
    EXPECT_EQ(index->reindex({ folderA }, { given, alsoWalked }, 1), 1u);
    EXPECT_THAT(extracted, ElementsAre("given.txt"));
    EXPECT_EQ(index->fileCount(), 2);
}

TEST_F(SearchIndexTest, OddFilesNeitherBlockNorBreakTheIndex)
{
    const std::string target = write("target.txt", "linked text\n");
    std::filesystem::create_directories(folderA);
    std::filesystem::create_symlink(target, folderA + "/link.txt");
    ASSERT_EQ(::mkfifo((folderA + "/pipe.txt").c_str(), 0600), 0);
    write("A/caf\xe9 latin-1.txt", "odd name text\n");
    write("A/" + std::string(200, 'n') + ".txt", "long name text\n");

    EXPECT_EQ(index->reindex({ folderA }, {}), 4u);
    EXPECT_EQ(index->fileCount(), 4) << "the FIFO is recorded without chunks";
    EXPECT_THAT(namesFound("name text"), UnorderedElementsAre("caf\xe9 latin-1.txt", std::string(200, 'n') + ".txt"));
    EXPECT_THAT(namesFound("linked"), ElementsAre("link.txt"));
    EXPECT_TRUE(index->isFresh({ folderA }, {}));
    // A link follows its target's changes.
    touch(target);
    EXPECT_FALSE(index->isFresh({ folderA }, {}));
}

TEST_F(SearchIndexTest, AScannedPdfWithoutOcrTextIsRecordedOnce)
{
    std::string askedFor;
    index->setOcrLookup([&](const std::string& path) {
        askedFor = path;
        return std::nullopt;
    });
    const std::string scan = write("A/scan.pdf", pdf::testing::numberedPdf(2));
    EXPECT_EQ(index->reindex({ folderA }, {}), 1u);
    EXPECT_EQ(askedFor, scan) << "the index passes its OCR hook to the extractor";
    EXPECT_EQ(index->fileCount(), 1);
    EXPECT_TRUE(index->isFresh({ folderA }, {}));
    extracted.clear();
    EXPECT_EQ(index->reindex({ folderA }, {}), 0u);
    EXPECT_TRUE(extracted.empty());
}

TEST_F(SearchIndexTest, CommitsEveryFortyFilesAndReportsEachFile)
{
    for (int number = 1; number <= 41; ++number)
        write("A/file" + std::to_string(100 + number) + ".txt", "line of file " + std::to_string(number) + "\n");
    int commits = 0;
    sqlite3_commit_hook(index->connectionForTesting(), [](void* count) { return ++*static_cast<int*>(count), 0; }, &commits);
    std::vector<std::tuple<std::size_t, std::size_t, std::string>> progress;
    EXPECT_EQ(index->reindex({ folderA }, {}, 8000, [&](std::size_t done, std::size_t total, const std::string& name) {
        progress.emplace_back(done, total, name);
    }), 41u);
    ASSERT_EQ(progress.size(), 41u);
    EXPECT_EQ(progress.front(), std::make_tuple(1u, 41u, std::string("file101.txt")));
    EXPECT_EQ(progress.back(), std::make_tuple(41u, 41u, std::string("file141.txt")));
    EXPECT_EQ(commits, 2);
    sqlite3_commit_hook(index->connectionForTesting(), nullptr, nullptr);
}

TEST_F(SearchIndexTest, AStoppedReindexKeepsWhatItRecorded)
{
    for (int number = 1; number <= 12; ++number)
        write("A/file" + std::to_string(100 + number) + ".txt", "stop words " + std::to_string(number) + "\n");
    std::size_t reported = 0;
    index->reindex({ folderA }, {}, 8000, [&](std::size_t done, std::size_t, const std::string&) { reported = done; },
        [&] { return reported == 5; });
    EXPECT_EQ(extracted.size(), 5u);
    EXPECT_EQ(index->fileCount(), 5);
    EXPECT_EQ(namesFound("stop words").size(), 5u);
    EXPECT_FALSE(index->isFresh({ folderA }, {}));
    extracted.clear();
    EXPECT_EQ(index->reindex({ folderA }, {}), 7u);
    EXPECT_EQ(extracted.front(), "file106.txt");
}

TEST_F(SearchIndexTest, ADamagedDatabaseIsSetAsideAndTheIndexStartsAfresh)
{
    index.reset();
    std::mt19937 random(7);
    std::string noise(64 * 1024, '\0');
    for (char& byte : noise)
        byte = static_cast<char>(random());
    write(".local/share/Inkwarden/searchindex.db", noise);

    testing::CapturedStream errors(STDERR_FILENO);
    index = makeIndex();
    ASSERT_TRUE(index->isOpen());
    EXPECT_THAT(errors.text(), ::testing::HasSubstr("[ikw] search index: "));
    EXPECT_EQ(testing::readTestFile(dbPath() + ".bad"), noise);
    write("A/one.txt", "recovered text\n");
    EXPECT_EQ(index->reindex({ folderA }, {}), 1u);
    EXPECT_THAT(namesFound("recovered"), ElementsAre("one.txt"));
}

TEST_F(SearchIndexTest, DamageFoundLaterIsMendedByTheNextFreshnessCheck)
{
    for (int number = 0; number < 200; ++number)
        write("A/file" + std::to_string(number) + ".txt", std::string(400, 'a' + number % 26) + " findme\n");
    index->reindex({ folderA }, {});
    index.reset();
    // Scribble over every page but the first, which holds the schema.
    std::string bytes = testing::readTestFile(dbPath());
    ASSERT_GT(bytes.size(), 8192u);
    for (std::size_t offset = 4096; offset < bytes.size(); ++offset)
        bytes[offset] = static_cast<char>(offset * 131);
    write(".local/share/Inkwarden/searchindex.db", bytes);

    testing::CapturedStream errors(STDERR_FILENO);
    index = makeIndex();
    EXPECT_FALSE(std::filesystem::exists(dbPath() + ".bad")) << "the schema page is whole";
    EXPECT_TRUE(index->searchExact("findme").empty());
    EXPECT_FALSE(index->isFresh({ folderA }, {}));
    extracted.clear();
    EXPECT_EQ(index->reindex({ folderA }, {}), 200u);
    EXPECT_EQ(namesFound("findme").size(), 200u);
    EXPECT_TRUE(std::filesystem::exists(dbPath() + ".bad"));
}

TEST_F(SearchIndexTest, AnIndexThatCannotOpenAnswersNothing)
{
    write("blocker", "a file where a folder should be");
    testing::CapturedStream errors(STDERR_FILENO);
    IWSearchIndex closed(home.file("blocker/searchindex.db"));
    EXPECT_FALSE(closed.isOpen());
    EXPECT_THAT(errors.text(), ::testing::HasSubstr("[ikw] search index: cannot open"));
    write("A/one.txt", "text\n");
    EXPECT_FALSE(closed.isFresh({ folderA }, {}));
    EXPECT_TRUE(closed.isFresh({ home.file("nothing") }, {}));
    EXPECT_EQ(closed.reindex({ folderA }, {}), 1u);
    EXPECT_EQ(closed.fileCount(), 0);
    EXPECT_TRUE(closed.searchExact("text").empty());
    EXPECT_TRUE(closed.searchFuzzy("text").empty());
}

TEST_F(SearchIndexTest, TheFreshnessCheckSeesChangesMadeThroughAnotherConnection)
{
    write("A/one.txt", "one");
    write("A/two.txt", "two");
    ASSERT_EQ(index->reindex({ folderA }, {}), 2u);
    ASSERT_TRUE(index->isFresh({ folderA }, {}));
    // The same database, changed by a second index as another window's search might.
    const auto other = makeIndex();
    other->reindex({}, { home.file("A/one.txt") });
    EXPECT_FALSE(index->isFresh({ folderA }, {})) << "two.txt left the index through the other connection";
    EXPECT_EQ(index->indexedFiles().size(), 1u);
    EXPECT_EQ(index->reindex({ folderA }, {}), 1u);
    EXPECT_TRUE(index->isFresh({ folderA }, {}));
}

TEST_F(SearchIndexTest, AScopeFoundFreshIsAskedAgainWithoutMissingAChange)
{
    // Each change comes after the scope was found fresh once, so the second check answers from
    // what was watched since.
    struct Change {
        const char* name;
        std::function<void()> make;
        bool withLink = false;
    };
    const std::string outside = write("elsewhere/target.txt", "target");
    const Change changes[] = {
        { "a file touched", [&] { touch(home.file("A/one.txt")); } },
        { "a file in a sub-folder touched", [&] { touch(home.file("A/sub/deep/two.txt")); } },
        { "a new file in a sub-folder", [&] { write("A/sub/three.txt", "three"); } },
        { "a new sub-folder with a file", [&] { write("A/new/four.txt", "four"); } },
        { "the target of a link outside the scope touched", [&] { touch(outside); }, true },
        { "a given file's copy replaced", [&] { write("B/given.txt", "given, longer now"); } },
    };
    for (const Change& change : changes) {
        testing::removeTree(folderA);
        write("A/one.txt", "one");
        write("A/sub/deep/two.txt", "two");
        write("B/given.txt", "given");
        if (change.withLink) {
            ASSERT_EQ(::symlink(outside.c_str(), home.file("A/link.txt").c_str()), 0);
        }
        index->reindex({ folderA }, { home.file("B/given.txt") });
        ASSERT_TRUE(index->isFresh({ folderA }, { home.file("B/given.txt") })) << change.name;
        ASSERT_TRUE(index->isFresh({ folderA }, { home.file("B/given.txt") })) << change.name;
        change.make();
        EXPECT_FALSE(index->isFresh({ folderA }, { home.file("B/given.txt") })) << change.name;
    }
    // A different scope is walked, not taken from the one found fresh before.
    index->reindex({ folderA }, {});
    ASSERT_TRUE(index->isFresh({ folderA }, {}));
    write("B/five.txt", "five");
    EXPECT_FALSE(index->isFresh({ folderA, folderB }, {}));
}

}
}
