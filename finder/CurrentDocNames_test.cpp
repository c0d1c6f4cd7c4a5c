#include "finder/CurrentDocNames.h"

#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

namespace ikw::finder {
namespace {

struct NameCase {
    const char* document;
    const char* typed;
    std::optional<std::string> expected;
};

TEST(CurrentDocNames, TheReaderKeepsTheExtensionAndTakesOnlyAName)
{
    const NameCase cases[] {
        { "/d/Report.pdf", "Final", "Final.pdf" },
        { "/d/Report.pdf", "final.PDF", "final.PDF" },
        { "/d/Report.pdf", "Final.docx", "Final.docx.pdf" },
        { "/d/Report.pdf", " \t\n Final \r\n", "Final.pdf" },
        { "/d/Report.pdf", "x/Final", "Final.pdf" },
        { "/d/Report.PDF", "Final", "Final.PDF" },
        { "/d/README", "Read me.txt", "Read me.txt" },
        { "/d/Report.pdf", "  ", std::nullopt },
        { "/d/Report.pdf", "Report.pdf", std::nullopt },
        { "/d/Report.pdf", "Report", std::nullopt },
        { "/d/Report.pdf", "x/", std::nullopt },
        { "/d/Report.pdf", "..", std::nullopt },
        { "/d/README", "README", std::nullopt },
    };
    for (const auto& [document, typed, expected] : cases)
        EXPECT_EQ(readerRenameName(document, typed), expected) << document << " <- \"" << typed << "\"";
}

TEST(CurrentDocNames, TheDialogTakesTheNameAsTypedOrNothing)
{
    const NameCase cases[] {
        { "/d/Report.pdf", "Final", "Final" },
        { "/d/Report.pdf", " \tFinal.txt\t ", "Final.txt" },
        { "/d/Report.pdf", "report.pdf", "report.pdf" },
        { "/d/Report.pdf", "a/b", std::nullopt },
        { "/d/Report.pdf", " Report.pdf ", std::nullopt },
        { "/d/Report.pdf", " \t", std::nullopt },
        { "/d/Report.pdf", "..", std::nullopt },
    };
    for (const auto& [document, typed, expected] : cases)
        EXPECT_EQ(dialogRenameName(document, typed), expected) << "\"" << typed << "\"";
    EXPECT_EQ(dialogRenameName("/d/Report.pdf", std::string("a\0b", 3)), std::nullopt);
}

TEST(CurrentDocNames, CopiesAreNamedAfterTheStem)
{
    EXPECT_EQ(copyName("Report.pdf"), "Report copy.pdf");
    EXPECT_EQ(copyName("README"), "README copy");
    EXPECT_EQ(copyName("a.tar.gz"), "a.tar copy.gz");
    EXPECT_EQ(copyName(".bashrc"), ".bashrc copy");
}

TEST(CurrentDocNames, TheMenuCopyTriesTwoHundredNamesAndThenNamesTheLast)
{
    testing::TempHome home;
    const std::string report = testing::writeTestFile(home.file("d/Report.pdf"), "r");
    EXPECT_EQ(menuCopyPath(report), home.file("d/Report copy.pdf"));
    testing::writeTestFile(home.file("d/Report copy.pdf"), "c");
    EXPECT_EQ(menuCopyPath(report), home.file("d/Report copy 2.pdf"));
    for (int number = 2; number <= kMostMenuCopyNames; ++number)
        testing::writeTestFile(home.file("d/Report copy " + std::to_string(number) + ".pdf"), "c");
    EXPECT_EQ(menuCopyPath(report), home.file("d/Report copy 200.pdf"));
    EXPECT_EQ(menuCopyPath(home.file("d/")), std::nullopt);
}

}
}
