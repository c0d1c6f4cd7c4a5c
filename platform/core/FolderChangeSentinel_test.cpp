#include "platform/core/FolderChangeSentinel.h"

#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <functional>

namespace ikw {
namespace {

struct ChangeCase {
    const char* name;
    std::function<void(const std::string& folder)> act;
    bool reported;
};

TEST(FolderChangeSentinel, ReportsWhatHappensInTheWatchedFoldersOnly)
{
    const ChangeCase cases[] = {
        { "nothing", [](const std::string&) {}, false },
        { "reading a file", [](const std::string& folder) { testing::readTestFile(folder + "/a.txt"); }, false },
        { "a new file", [](const std::string& folder) { testing::writeTestFile(folder + "/new.txt", "x"); }, true },
        { "a rewrite", [](const std::string& folder) { testing::writeTestFile(folder + "/a.txt", "changed"); }, true },
        { "a new time only", [](const std::string& folder) {
             const timespec times[2] = { { 1000, 0 }, { 1000, 0 } };
             ::utimensat(AT_FDCWD, (folder + "/a.txt").c_str(), times, 0);
         }, true },
        { "a rename", [](const std::string& folder) { std::rename((folder + "/a.txt").c_str(), (folder + "/b.txt").c_str()); }, true },
        { "a deletion", [](const std::string& folder) { ::unlink((folder + "/a.txt").c_str()); }, true },
        { "a change in a watched sub-folder", [](const std::string& folder) { testing::writeTestFile(folder + "/sub/s.txt", "changed"); }, true },
        { "a change in a sub-folder not watched", [](const std::string& folder) { testing::writeTestFile(folder + "/other/o.txt", "changed"); }, false },
        { "the folder moved away", [](const std::string& folder) { std::rename(folder.c_str(), (folder + "-moved").c_str()); }, true },
    };
    for (const ChangeCase& change : cases) {
        testing::TempHome home;
        const std::string folder = home.file("watched");
        testing::writeTestFile(folder + "/a.txt", "original");
        testing::writeTestFile(folder + "/sub/s.txt", "original");
        testing::writeTestFile(folder + "/other/o.txt", "original");
        FolderChangeSentinel sentinel;
        sentinel.reset();
        ASSERT_TRUE(sentinel.add(folder));
        ASSERT_TRUE(sentinel.add(folder + "/sub"));
        change.act(folder);
        EXPECT_EQ(sentinel.changed(), change.reported) << change.name;
        // The answer holds until the next reset.
        EXPECT_EQ(sentinel.changed(), change.reported) << change.name;
    }
}

TEST(FolderChangeSentinel, CannotVouchForWhatItDoesNotWatch)
{
    testing::TempHome home;
    FolderChangeSentinel sentinel;
    EXPECT_TRUE(sentinel.changed()) << "never reset";
    sentinel.reset();
    EXPECT_TRUE(sentinel.changed()) << "nothing watched";
    EXPECT_FALSE(sentinel.add(home.file("missing")));
    EXPECT_TRUE(sentinel.changed()) << "a folder that could not be watched";
    sentinel.reset();
    ASSERT_TRUE(sentinel.add(home.path()));
    EXPECT_FALSE(sentinel.changed());
    sentinel.markChanged();
    EXPECT_TRUE(sentinel.changed());
    sentinel.reset();
    EXPECT_FALSE(sentinel.add(testing::writeTestFile(home.file("plain.txt"), "not a folder")));
    EXPECT_TRUE(sentinel.changed());
}

}
}
