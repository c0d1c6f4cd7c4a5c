#include "platform/core/UniqueName.h"

#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

namespace ikw {
namespace {

TEST(UniqueName, NumbersTheNameBeforeItsExtension)
{
    const struct {
        const char* name;
        int number;
        const char* expected;
    } cases[] = {
        { "report.pdf", 1, "report.pdf" },
        { "report.pdf", 2, "report 2.pdf" },
        { "report.pdf", 12, "report 12.pdf" },
        { "README", 3, "README 3" },
        { ".hidden", 2, ".hidden 2" },
        { "archive.tar.gz", 2, "archive.tar 2.gz" },
        { "two words.docx", 2, "two words 2.docx" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(numberedName(c.name, c.number), c.expected) << c.name << " #" << c.number;
}

TEST(UniqueName, SkipsNamesThatExist)
{
    testing::TempHome home;
    const std::string folder = home.file("out");
    testing::writeTestFile(folder + "/a.pdf", "1");
    testing::writeTestFile(folder + "/a 2.pdf", "2");
    EXPECT_EQ(uniquePathInFolder(folder, "a.pdf"), folder + "/a 3.pdf");
    EXPECT_EQ(uniquePathInFolder(folder, "b.pdf"), folder + "/b.pdf");
    EXPECT_EQ(uniquePathInFolder("/x", "c", [](const std::string& path) { return path != "/x/c 4"; }), "/x/c 4");
    EXPECT_EQ(uniquePathInFolder("/x", "c", [](const std::string&) { return true; }), std::nullopt);
}

}
}
