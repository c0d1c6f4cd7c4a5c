#include "platform/core/ZipWriter.h"

#include "platform/core/ZipArchive.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

namespace ikw {
namespace {

TEST(ZipWriter, WritesMembersThatReadBackInOrder)
{
    testing::TempHome home;
    const std::string text(100000, 'a');
    const std::string binary = std::string("\0\x01\xff", 3) + "data";
    ZipWriter writer;
    EXPECT_TRUE(writer.add("[Content_Types].xml", "<Types/>"));
    EXPECT_TRUE(writer.add("folder/sub/big.txt", text));
    EXPECT_TRUE(writer.add("stored.bin", binary, ZipCompression::Store));
    EXPECT_TRUE(writer.add("caf\u00e9.txt", "unicode name"));
    EXPECT_FALSE(writer.add("stored.bin", "again")) << "a name is taken once";
    EXPECT_FALSE(writer.add("", "nameless"));
    const auto bytes = writer.finish();
    ASSERT_TRUE(bytes);
    EXPECT_FALSE(writer.add("late", "x")) << "a finished writer takes nothing";
    EXPECT_FALSE(writer.finish());

    const auto archive = ZipArchive::open(testing::writeTestFile(home.file("out.zip"), *bytes));
    ASSERT_TRUE(archive);
    const auto entries = archive->entries();
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0].name, "[Content_Types].xml");
    EXPECT_EQ(entries[3].name, "caf\u00e9.txt");
    EXPECT_LT(entries[1].compressedSize, text.size() / 10) << "deflated";
    EXPECT_EQ(entries[2].compressedSize, binary.size()) << "stored as it is";
    EXPECT_EQ(archive->readMember("folder/sub/big.txt", text.size()), text);
    EXPECT_EQ(archive->readMember("stored.bin", 100), binary);
    EXPECT_EQ(archive->readMember("caf\u00e9.txt", 100), "unicode name");
}

TEST(ZipWriter, AnArchiveWithoutMembersIsStillAnArchive)
{
    testing::TempHome home;
    const auto bytes = ZipWriter().finish();
    ASSERT_TRUE(bytes);
    const auto archive = ZipArchive::open(testing::writeTestFile(home.file("empty.zip"), *bytes));
    ASSERT_TRUE(archive);
    EXPECT_TRUE(archive->entries().empty());
}

}
}
