#include "platform/core/ZipArchive.h"

#include "tests/support/TempHome.h"
#include "tests/support/ZipFixtures.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>

namespace ikw {
namespace {

class ZipArchiveTest : public ::testing::Test {
protected:
    std::string write(const std::string& name, const std::string& bytes) { return testing::writeTestFile(home.file(name), bytes); }

    testing::TempHome home;
};

TEST_F(ZipArchiveTest, ListsAndReadsMembersByExactName)
{
    const std::string big(200000, 'x');
    const auto archive = ZipArchive::open(write("a.zip", testing::zipBytes({ { "dir/One.txt", "one" }, { "big.bin", big } })));
    ASSERT_TRUE(archive);
    const auto entries = archive->entries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].name, "dir/One.txt");
    EXPECT_EQ(entries[1].size, big.size());
    EXPECT_EQ(archive->readMember("dir/One.txt", 100), "one");
    EXPECT_EQ(archive->readMember("big.bin", big.size()), big);
    EXPECT_FALSE(archive->readMember("dir/one.txt", 100)) << "names are compared exactly";
    EXPECT_FALSE(archive->entry("missing"));
    // Pieces arrive in order and add up to the member.
    std::string pieces;
    int count = 0;
    EXPECT_EQ(archive->readMember("big.bin", big.size(), [&](std::string_view piece) { pieces.append(piece); ++count; }), ZipReadStatus::Read);
    EXPECT_EQ(pieces, big);
    EXPECT_GT(count, 1);
}

TEST_F(ZipArchiveTest, KeepsTheBoundOnDeclaredAndOnActualSizes)
{
    const std::string data(5000, 'y');
    const std::string zip = testing::zipBytes({ { "m", data } });
    const auto honest = ZipArchive::open(write("honest.zip", zip));
    ASSERT_TRUE(honest);
    EXPECT_EQ(honest->readMember("m", data.size(), [](std::string_view) { }), ZipReadStatus::Read);
    EXPECT_EQ(honest->readMember("m", data.size() - 1, [](std::string_view) { }), ZipReadStatus::TooLarge);

    // A member declaring about 4 GB is refused before a byte is read.
    const auto huge = ZipArchive::open(write("huge.zip", testing::withDeclaredSize(zip, "m", 0xFFFFFFF0u)));
    ASSERT_TRUE(huge);
    std::size_t delivered = 0;
    EXPECT_EQ(huge->readMember("m", 256u << 20, [&](std::string_view piece) { delivered += piece.size(); }), ZipReadStatus::TooLarge);
    EXPECT_EQ(delivered, 0u);

    // One declaring less than it inflates to never delivers more than the bound.
    const auto lying = ZipArchive::open(write("lying.zip", testing::withDeclaredSize(zip, "m", 10)));
    ASSERT_TRUE(lying);
    delivered = 0;
    EXPECT_NE(lying->readMember("m", 100, [&](std::string_view piece) { delivered += piece.size(); }), ZipReadStatus::Read);
    EXPECT_LE(delivered, 100u);
}

TEST_F(ZipArchiveTest, OpensOnlyRegularZipFiles)
{
    EXPECT_FALSE(ZipArchive::open(home.file("absent.zip")));
    EXPECT_FALSE(ZipArchive::open(write("text.zip", "not a zip archive at all")));
    EXPECT_FALSE(ZipArchive::open(write("cut.zip", testing::zipBytes({ { "m", "data" } }).substr(0, 40))));
    EXPECT_FALSE(ZipArchive::open(home.path()));
    const std::string fifo = home.file("pipe.zip");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(ZipArchive::open(fifo)) << "a FIFO is neither waited on nor read";
}

namespace fs = std::filesystem;

mode_t permissions(const std::string& path)
{
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

TEST_F(ZipArchiveTest, ExtractsFoldersFilesAndLinksWithTheirModes)
{
    const auto archive = ZipArchive::open(write("good.zip", testing::zipWithModes({
        { "B.app/", "", S_IFDIR | 0755 },
        { "B.app/bin/tool", "#!/bin/sh\n", S_IFREG | S_ISUID | 0755 },
        { "B.app/Resources/VERSION", "2.1" },
        { "B.app/lib/current", "../bin/tool", S_IFLNK | 0777 },
        { "B.app/ro/", "", S_IFDIR | 0555 },
        { "B.app/ro/inside", "kept", S_IFREG | 0600 },
    })));
    ASSERT_TRUE(archive);
    const std::string out = home.file("out");
    fs::create_directories(out);
    ASSERT_TRUE(extractZipArchive(*archive, out, 1000));

    EXPECT_EQ(permissions(out + "/B.app/bin/tool"), 0755u) << "set-id bits are dropped";
    EXPECT_EQ(permissions(out + "/B.app/Resources/VERSION"), 0644u) << "no attributes: an ordinary file";
    EXPECT_EQ(permissions(out + "/B.app/ro"), 0555u);
    EXPECT_EQ(permissions(out + "/B.app/ro/inside"), 0600u);
    EXPECT_EQ(testing::readTestFile(out + "/B.app/ro/inside"), "kept");
    EXPECT_TRUE(fs::is_symlink(out + "/B.app/lib/current"));
    EXPECT_EQ(fs::read_symlink(out + "/B.app/lib/current"), "../bin/tool");
    fs::permissions(out + "/B.app/ro", fs::perms::owner_all); // lets the folder be cleaned up

    // The bound covers all members together.
    const std::string tight = home.file("tight");
    fs::create_directories(tight);
    EXPECT_FALSE(extractZipArchive(*archive, tight, 10));
}

TEST_F(ZipArchiveTest, NothingIsExtractedOutsideTheFolder)
{
    const std::string absolute = home.file("absolute-victim");
    const struct {
        const char* name;
        std::vector<testing::ModedZipMember> members;
    } cases[] = {
        { "a parent part", { { "../evil", "x" } } },
        { "a parent part inside", { { "a/../../evil", "x" } } },
        { "an absolute name", { { absolute, "x" } } },
        { "a link up and out", { { "out", "../..", S_IFLNK | 0777 } } },
        { "an absolute link", { { "out", "/etc", S_IFLNK | 0777 } } },
        { "a link out through another link", { { "d/b", "..", S_IFLNK | 0777 }, { "a", "d/b/..", S_IFLNK | 0777 } } },
        { "a file written through a link", { { "d", "sub", S_IFLNK | 0777 }, { "d/evil", "x" } } },
        { "a named pipe", { { "pipe", "", S_IFIFO | 0644 } } },
    };
    for (const auto& c : cases) {
        const std::string parent = home.file(std::string("case-") + c.name);
        const std::string folder = parent + "/stage";
        fs::create_directories(folder);
        const auto archive = ZipArchive::open(write(std::string(c.name) + ".zip", testing::zipWithModes(c.members)));
        ASSERT_TRUE(archive) << c.name;
        EXPECT_FALSE(extractZipArchive(*archive, folder, 1000)) << c.name;
        std::vector<std::string> beside;
        for (const auto& entry : fs::directory_iterator(parent))
            beside.push_back(entry.path().filename().string());
        EXPECT_EQ(beside, std::vector<std::string> { "stage" }) << c.name;
        EXPECT_FALSE(fs::exists(fs::symlink_status(absolute))) << c.name;
        EXPECT_FALSE(fs::exists(fs::symlink_status(parent + "/stage/sub/evil"))) << c.name;
    }
}

}
}
