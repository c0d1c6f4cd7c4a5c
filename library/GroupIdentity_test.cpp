#include "library/GroupIdentity.h"

#include "platform/core/Identifiers.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <sys/stat.h>

namespace ikw::library {
namespace {

using namespace group_identity;

class GroupIdentityTest : public ::testing::Test {
protected:
    std::string write(const std::string& relative, const std::string& contents = "%PDF-1.4\n")
    {
        return testing::writeTestFile(home.file(relative), contents);
    }
    std::string folder(const std::string& relative)
    {
        std::filesystem::create_directories(home.file(relative));
        return home.file(relative);
    }

    testing::TempHome home;
};

TEST_F(GroupIdentityTest, PairCodesNormaliseBeforeTheLibraryIsDerived)
{
    const std::string library = "ikw-1b6ac91aad801b5a8927b569274383a4";
    const std::pair<const char*, std::optional<std::string>> cases[] {
        { "ab-cd ef", library },
        { "ABCDEF", library },
        { " a.b,c/d_e!f ", library },
        { "ab-c1 2", std::nullopt }, // five letters and digits
        { "", std::nullopt },
    };
    for (const auto& [code, expected] : cases)
        EXPECT_EQ(deriveLibrary(code), expected) << code;

    EXPECT_EQ(normalisedPairCode("stra\u00dfe12"), "STRASSE12");
    EXPECT_EQ(normalisedPairCode("\u00e9t\u00e9-\u0661"), "T"); // other letters and digits are dropped
}

TEST_F(GroupIdentityTest, DocumentIdsFollowTheBytesAndNotThePath)
{
    DocumentIds ids;
    const auto first = ids.docId(write("One/a.pdf", "same bytes"));
    EXPECT_EQ(first, "doc:sha256:" + sha256Hex("same bytes"));
    EXPECT_EQ(ids.docId(write("Two/b.pdf", "same bytes")), first);
    for (const auto& nothing : { home.file("missing.pdf"), folder("Folder.pdf") })
        EXPECT_FALSE(ids.docId(nothing)) << nothing;
}

TEST_F(GroupIdentityTest, AKnownFileIsAnsweredUntilItsTimeOrSizeChanges)
{
    DocumentIds ids;
    const auto path = write("a.pdf", "aaaa");
    const auto before = ids.docId(path);
    struct stat status {};
    ASSERT_EQ(::stat(path.c_str(), &status), 0);

    // Same size and the old time put back: the remembered identifier stands.
    write("a.pdf", "bbbb");
    const timespec times[2] { status.st_atim, status.st_mtim };
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    EXPECT_EQ(ids.docId(path), before);

    // A new modification time: the file is read again.
    const timespec later[2] { status.st_atim, { status.st_mtim.tv_sec + 1, status.st_mtim.tv_nsec } };
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), later, 0), 0);
    EXPECT_EQ(ids.docId(path), "doc:sha256:" + sha256Hex("bbbb"));
}

TEST_F(GroupIdentityTest, GroupIdsIgnoreOrderButNotMembership)
{
    DocumentIds ids;
    const auto a = *ids.docId(write("a.pdf", "a"));
    const auto b = *ids.docId(write("b.pdf", "b"));
    const auto c = *ids.docId(write("c.pdf", "c"));
    EXPECT_EQ(groupId({ a, b }), "grp-90cf5e66cbd7b82574d63b20");
    EXPECT_EQ(groupId({ b, a }), "grp-90cf5e66cbd7b82574d63b20");
    EXPECT_NE(groupId({ a, b, c }), groupId({ a, b }));
    EXPECT_NE(groupId({ a }), groupId({ a, b }));
}

TEST_F(GroupIdentityTest, ABigFolderGivesItsSmallestPathsWhateverOrderTheyWereMadeIn)
{
    std::vector<int> numbers(250);
    for (int i = 0; i < 250; ++i)
        numbers[static_cast<std::size_t>(i)] = i;
    std::shuffle(numbers.begin(), numbers.end(), std::mt19937(7));
    for (const int n : numbers) {
        char name[32];
        std::snprintf(name, sizeof name, "Big/doc-%03d.pdf", n);
        write(name);
    }
    write("Big/notes.txt");

    const auto members = memberPDFs({ home.file("Big") });
    ASSERT_EQ(members.size(), 200u);
    EXPECT_TRUE(std::is_sorted(members.begin(), members.end()));
    EXPECT_EQ(members.front(), home.file("Big/doc-000.pdf"));
    EXPECT_EQ(members.back(), home.file("Big/doc-199.pdf"));
    EXPECT_EQ(memberPDFs({ home.file("Big") }, 3), (std::vector<std::string> { home.file("Big/doc-000.pdf"), home.file("Big/doc-001.pdf"), home.file("Big/doc-002.pdf") }));
}

TEST_F(GroupIdentityTest, GivenFilesComeFirstAndFoldersLeaveHiddenAndLinkedEntriesOut)
{
    const auto report = write("Case/Report.PDF");
    const auto hiddenGiven = write("Else/.draft.pdf");
    const auto inFolder = write("Case/b.pdf");
    write("Case/.hidden.pdf");
    write("Case/.secret/inside.pdf");
    const auto nested = write("Case/Sub/c.pdf");
    write("Case/brief.docx");
    write("Outside/linked.pdf");
    std::filesystem::create_directory_symlink(home.file("Outside"), home.file("Case/Link"));

    const auto members = memberPDFs({ home.file("Case/"), inFolder, report, hiddenGiven, home.file("missing.pdf") });
    EXPECT_EQ(members, (std::vector<std::string> { inFolder, report, hiddenGiven, nested }));
}

TEST_F(GroupIdentityTest, GroupNamesComeFromTheOneFolderOrTheFilesSharedFolder)
{
    const auto lease = write("Matter/Lease.pdf");
    const auto deed = write("Matter/Deed.pdf");
    const auto memo = write("Matter/Memo.pdf");
    const auto other = write("Other/x.pdf");
    const auto matter = home.file("Matter");
    const struct {
        std::vector<std::string> paths;
        std::size_t count;
        std::string name;
    } cases[] {
        { { matter + "/" }, 3, "Matter" },
        { { lease, deed, memo }, 3, "Matter" },
        { { lease, other }, 2, "2 files" },
        { { lease, deed, memo }, 2, "2 files" },      // not every path given is a member
        { { matter, home.file("Other") }, 4, "4 files" },
        { { "relative.pdf" }, 1, "1 files" },
    };
    for (const auto& [paths, count, name] : cases)
        EXPECT_EQ(groupName(paths, count), name) << paths.front();
}

}
}
