#include "review/FileStamp.h"

#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace ikw {
namespace {

using namespace std::chrono_literals;

TEST(FileStamp, ChangeRule)
{
    const FileTime t0 {};
    const FileStamp stamp { "/f", t0, 100 };
    struct Case {
        const char* what;
        FileFacts facts;
        bool changed;
    };
    const Case cases[] = {
        { "same time and size", { t0, 100 }, false },
        { "0.8 s later, same size", { t0 + 800ms, 100 }, false },
        { "exactly 1.0 s later", { t0 + 1000ms, 100 }, false },
        { "1.5 s later", { t0 + 1500ms, 100 }, true },
        { "1.5 s earlier", { t0 - 1500ms, 100 }, true },
        { "size differs", { t0, 101 }, true },
        { "time unreadable, size same", { std::nullopt, 100 }, false },
        { "size unreadable, time moved", { t0 + 2s, std::nullopt }, true },
    };
    for (const auto& c : cases)
        EXPECT_EQ(factsDiffer(stamp, c.facts), c.changed) << c.what;
}

TEST(FileStamp, OnlyAStampedReadableFileCanHaveChanged)
{
    testing::TempHome home;
    const auto path = testing::writeTestFile(home.file("doc.pdf"), "one");
    auto stamp = stampFile(path);
    EXPECT_FALSE(diskChangedSince(stamp, path));
    EXPECT_FALSE(diskChangedSince(std::nullopt, path));
    testing::writeTestFile(path, "three");
    EXPECT_TRUE(diskChangedSince(stamp, path));
    EXPECT_FALSE(diskChangedSince(stamp, home.file("other.pdf"))); // a stamp of another file
    std::remove(path.c_str());
    EXPECT_FALSE(diskChangedSince(stamp, path)); // a deleted document is not reloaded

    const auto missing = stampFile(home.file("missing"));
    EXPECT_EQ(missing.size, 0);
}

TEST(FileStamp, AnExactMatchSeesEveryRewriteTheToleranceForgives)
{
    testing::TempHome home;
    const auto path = testing::writeTestFile(home.file("doc.pdf"), "same size A");
    const auto stamp = stampFile(path);
    EXPECT_TRUE(fileMatchesStamp(stamp, path));
    // A rewrite of the same size within the same second, as a quick page move makes.
    const auto replacement = testing::writeTestFile(home.file("new.pdf"), "same size B");
    ASSERT_EQ(std::rename(replacement.c_str(), path.c_str()), 0);
    EXPECT_FALSE(diskChangedSince(stamp, path));
    EXPECT_FALSE(fileMatchesStamp(stamp, path));
    std::remove(path.c_str());
    EXPECT_FALSE(fileMatchesStamp(stamp, path));
}

}
}
