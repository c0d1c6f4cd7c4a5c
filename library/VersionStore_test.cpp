#include "library/VersionStore.h"

#include "app/StableHash.h"
#include "platform/core/Paths.h"
#include "platform/core/fake/FaultyFileSystem.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sys/stat.h>
#include <utime.h>

namespace ikw::library {
namespace {

class VersionStoreTest : public ::testing::Test {
protected:
    testing::TempHome home;
    const std::string root = home.file("versions");
    std::map<std::string, std::int64_t> bornAt; // by file name; others are born now
    std::time_t now = 1'800'000'000;
    FaultyFileSystem files;
    VersionStore store { root, VersionStore::Seams {
        .fileSystem = &files,
        .readFacts = [this](const std::string& path) {
            auto facts = readVersionFileFacts(path);
            if (facts) {
                const auto born = bornAt.find(lastPathComponent(path));
                facts->bornSeconds = born != bornAt.end() ? born->second : now;
            }
            return facts;
        },
        .now = [this] { return now; },
    } };

    std::string document(const std::string& name, const std::string& bytes, std::time_t modified = 1'700'000'000)
    {
        const auto path = testing::writeTestFile(home.file("Docs/" + name), bytes);
        touch(path, modified);
        return path;
    }
    static void touch(const std::string& path, std::time_t modified)
    {
        const utimbuf times { modified, modified };
        ::utime(path.c_str(), &times);
    }
    std::vector<std::string> versions(const std::string& path) const { return testing::folderEntries(root + "/" + ikwStableHash(path)); }
    void placeVersions(const std::string& path, const std::vector<std::string>& names)
    {
        for (const auto& name : names)
            testing::writeTestFile(root + "/" + ikwStableHash(path) + "/" + name, "old");
    }
};

TEST_F(VersionStoreTest, BanksEachSignatureOfANonEmptyPdfOnce)
{
    const auto lease = document("Lease.PDF", "%PDF-1.4 lease", 123);
    EXPECT_TRUE(store.snapshotVersionFile(lease));
    EXPECT_FALSE(store.snapshotVersionFile(lease)); // unchanged
    EXPECT_EQ(versions(lease), std::vector<std::string> { "123-14__Lease.PDF" });
    EXPECT_EQ(testing::readTestFile(root + "/" + ikwStableHash(lease) + "/123-14__Lease.PDF"), "%PDF-1.4 lease");

    touch(lease, 124); // same bytes, a new second
    EXPECT_TRUE(store.snapshotVersionFile(lease));
    EXPECT_EQ(versions(lease).size(), 2u);

    EXPECT_FALSE(store.snapshotVersionFile(document("Empty.pdf", "")));
    EXPECT_FALSE(store.snapshotVersionFile(document("Letter.docx", "PK")));
    EXPECT_FALSE(store.snapshotVersionFile(home.file("Docs/Missing.pdf")));
}

TEST_F(VersionStoreTest, PruningKeepsTheEightNewestByTheirParsedSignature)
{
    const auto lease = document("Lease.pdf", "new", 1'700'000'100);
    // A copy from before September 2001 has a shorter seconds field: it is still the oldest.
    placeVersions(lease, { "999999999-3__Lease.pdf", "stray.txt", "1700000001-3__Lease.pdf", "1700000002-3__Lease.pdf",
                             "1700000003-3__Lease.pdf", "1700000004-3__Lease.pdf", "1700000005-3__Lease.pdf",
                             "1700000006-3__Lease.pdf", "1700000007-3__Lease.pdf", ".hidden" });
    ASSERT_TRUE(store.snapshotVersionFile(lease));

    // The stray file sorts first and goes, then the oldest version; the hidden file stays.
    EXPECT_EQ(versions(lease), (std::vector<std::string> { ".hidden", "1700000001-3__Lease.pdf", "1700000002-3__Lease.pdf",
                                   "1700000003-3__Lease.pdf", "1700000004-3__Lease.pdf", "1700000005-3__Lease.pdf",
                                   "1700000006-3__Lease.pdf", "1700000007-3__Lease.pdf", "1700000100-3__Lease.pdf" }));
}

TEST_F(VersionStoreTest, TheAgeRuleSparesTheVersionJustWritten)
{
    const auto lease = document("Lease.pdf", "new", 1'700'000'100);
    placeVersions(lease, { "1700000001-3__Lease.pdf", "1700000002-3__Lease.pdf" });
    bornAt["1700000001-3__Lease.pdf"] = now - 8 * 86400;
    bornAt["1700000002-3__Lease.pdf"] = now - 6 * 86400;
    bornAt["1700000100-3__Lease.pdf"] = now - 30 * 86400; // a file system that reports odd dates

    ASSERT_TRUE(store.snapshotVersionFile(lease));
    EXPECT_EQ(versions(lease), (std::vector<std::string> { "1700000002-3__Lease.pdf", "1700000100-3__Lease.pdf" }));
}

TEST_F(VersionStoreTest, ListsParsableNamesNewestFirst)
{
    const auto lease = home.file("Docs/Lease.pdf");
    placeVersions(lease, { "123-45__x.pdf", "200-1__x.pdf", "1.5-2__y.pdf", "300__x.pdf", "400-5.pdf", "abc-5__x.pdf", "500-x__x.pdf" });
    const auto listed = store.listVersionSnapshots(lease);
    const std::string folder = root + "/" + ikwStableHash(lease);
    EXPECT_EQ(listed, (std::vector<VersionEntry> { { folder + "/200-1__x.pdf", 200, 1 }, { folder + "/123-45__x.pdf", 123, 45 },
                          { folder + "/1.5-2__y.pdf", 1.5, 2 } }));
    // Another letter case or a trailing slash is another document.
    EXPECT_NE(store.versionStoreDir(lease), store.versionStoreDir(home.file("Docs/lease.pdf")));
    EXPECT_NE(store.versionStoreDir(lease), store.versionStoreDir(lease + "/"));
}

TEST_F(VersionStoreTest, RestoringPutsTheVersionInPlaceAndBanksTheCurrentContent)
{
    const auto lease = document("Lease.pdf", "first", 1000);
    ASSERT_TRUE(store.snapshotVersionFile(lease));
    const auto chosen = store.listVersionSnapshots(lease).front().path;
    testing::writeTestFile(lease, "second edit");
    ::chmod(lease.c_str(), 0640);

    ASSERT_TRUE(store.restoreVersion(chosen, lease));
    EXPECT_EQ(testing::readTestFile(lease), "first");
    EXPECT_EQ(testing::fileMode(lease), 0640u);
    const auto listed = store.listVersionSnapshots(lease);
    EXPECT_TRUE(std::any_of(listed.begin(), listed.end(), [](const VersionEntry& entry) { return entry.size == 11; }));
    EXPECT_FALSE(files.exists(VersionStore::restoreTemporaryPath(lease)));
}

TEST_F(VersionStoreTest, TheChosenVersionSurvivesTheBankingThatPrunesIt)
{
    const auto lease = document("Lease.pdf", "current", 1'700'000'100);
    placeVersions(lease, { "1700000001-3__Lease.pdf", "1700000002-3__Lease.pdf", "1700000003-3__Lease.pdf",
                             "1700000004-3__Lease.pdf", "1700000005-3__Lease.pdf", "1700000006-3__Lease.pdf",
                             "1700000007-3__Lease.pdf", "1700000008-3__Lease.pdf" });
    const std::string oldest = root + "/" + ikwStableHash(lease) + "/1700000001-3__Lease.pdf";

    ASSERT_TRUE(store.restoreVersion(oldest, lease));
    EXPECT_EQ(testing::readTestFile(lease), "old");
    EXPECT_FALSE(files.exists(oldest)); // banking the current content pruned it, after it was copied
}

TEST_F(VersionStoreTest, AFailedRestoreLeavesTheDocumentAsItWas)
{
    const auto lease = document("Lease.pdf", "current");
    EXPECT_FALSE(store.restoreVersion(root + "/gone/1-1__Lease.pdf", lease));
    EXPECT_EQ(testing::readTestFile(lease), "current");

    placeVersions(lease, { "1-3__Lease.pdf" });
    files.fail(FaultyFileSystem::Operation::Commit);
    EXPECT_FALSE(store.restoreVersion(root + "/" + ikwStableHash(lease) + "/1-3__Lease.pdf", lease));
    EXPECT_EQ(testing::readTestFile(lease), "current");
    EXPECT_FALSE(files.exists(VersionStore::restoreTemporaryPath(lease)));
}

}
}
