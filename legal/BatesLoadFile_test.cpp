#include "legal/BatesLoadFile.h"
#include "legal/BatesTestSupport.h"

#include "platform/core/fake/FaultyFileSystem.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

namespace ikw::legal::BatesStamper {
namespace {

Manifest twoRunManifest()
{
    Manifest manifest = testing::oneRunManifest();
    BatesConfig second;
    second.prefix = "";
    second.pad = 0;
    second.nameByBates = false;
    recordRun(manifest, second,
        { testing::stampedDoc(second, "/in/the \"final\" brief.pdf", "/out/the \"final\" brief.pdf", 6, 12) },
        "2026-12-11T08:00:00Z");
    return manifest;
}

TEST(BatesLoadFile, ListsEveryRunOldestFirstWithOnlyNamesQuoted)
{
    EXPECT_EQ(loadFileText(twoRunManifest()),
        "BegBates,EndBates,Pages,OriginalFile,StampedFile\n"
        "ABC000001,ABC000003,3,\"b.pdf\",\"ABC000001.pdf\"\n"
        "ABC000004,ABC000005,2,\"a.pdf\",\"ABC000004.pdf\"\n"
        "6,17,12,\"the \"\"final\"\" brief.pdf\",\"the \"\"final\"\" brief.pdf\"\n");
    EXPECT_EQ(loadFileText(Manifest()), "BegBates,EndBates,Pages,OriginalFile,StampedFile\n");
}

TEST(BatesLoadFile, IsReplacedAtomically)
{
    ikw::testing::TempHome home;
    const std::string dir = home.path();
    ASSERT_TRUE(writeCSV(testing::oneRunManifest(), dir));
    const std::string before = ikw::testing::readTestFile(csvPath(dir));
    EXPECT_EQ(before, loadFileText(testing::oneRunManifest()));

    FaultyFileSystem files;
    // Only the atomic path is refused: a fallback to a plain write would show in the file.
    files.fail(FaultyFileSystem::Operation::Replace);
    EXPECT_FALSE(writeCSV(twoRunManifest(), dir, files));
    EXPECT_EQ(ikw::testing::readTestFile(csvPath(dir)), before);
}

}
}
