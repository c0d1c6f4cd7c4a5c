#include "platform/core/ZipArchive.h"

#include "tests/support/TempHome.h"
#include "tests/support/ZipFixtures.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

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

}
}
