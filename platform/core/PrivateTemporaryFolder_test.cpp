#include "platform/core/PrivateTemporaryFolder.h"

#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <set>

namespace ikw {
namespace {

Paths pathsIn(const testing::TempHome& home, bool withRuntimeDir)
{
    Paths paths = Paths::fromEnvironment();
    paths.runtimeDir = withRuntimeDir ? home.file("runtime") : "";
    ::mkdir(home.file("runtime").c_str(), 0700);
    return paths;
}

TEST(PrivateTemporaryFolder, LivesInTheRuntimeFolderElseInTheCache)
{
    testing::TempHome home;
    EXPECT_EQ(privateTemporaryFolder(pathsIn(home, true), "App"), home.file("runtime/App"));
    EXPECT_EQ(testing::fileMode(home.file("runtime/App")), 0700u);
    EXPECT_EQ(privateTemporaryFolder(pathsIn(home, false), "App"), home.file(".cache/App/tmp"));
    EXPECT_EQ(testing::fileMode(home.file(".cache/App/tmp")), 0700u);

    Paths missingRuntime = pathsIn(home, true);
    missingRuntime.runtimeDir = home.file("gone");
    EXPECT_EQ(privateTemporaryFolder(missingRuntime, "App"), home.file(".cache/App/tmp"));
}

TEST(PrivateTemporaryFolder, TightensAnOpenFolderAndNeverFollowsALink)
{
    testing::TempHome home;
    const Paths paths = pathsIn(home, true);
    ::mkdir(home.file("runtime/Open").c_str(), 0777);
    ::chmod(home.file("runtime/Open").c_str(), 0777);
    EXPECT_EQ(privateTemporaryFolder(paths, "Open"), home.file("runtime/Open"));
    EXPECT_EQ(testing::fileMode(home.file("runtime/Open")), 0700u);

    ::mkdir(home.file("elsewhere").c_str(), 0700);
    ASSERT_EQ(::symlink(home.file("elsewhere").c_str(), home.file("runtime/Linked").c_str()), 0);
    ::chmod(home.file("elsewhere").c_str(), 0755);
    EXPECT_EQ(privateTemporaryFolder(paths, "Linked"), home.file(".cache/Linked/tmp"));
    EXPECT_EQ(testing::fileMode(home.file("elsewhere")), 0755u);
}

TEST(PrivateTemporaryFolder, JobFilesAndFoldersGetFreshPrivateNames)
{
    testing::TempHome home;
    const std::string folder = *privateTemporaryFolder(pathsIn(home, true), "App");
    std::set<std::string> names;
    for (int i = 0; i < 20; ++i) {
        auto file = createTemporaryFile(folder, "job-", ".pdf");
        ASSERT_TRUE(file);
        EXPECT_TRUE(file->fd.valid());
        EXPECT_EQ(testing::fileMode(file->path), 0600u);
        EXPECT_EQ(file->path.rfind(folder + "/job-", 0), 0u);
        EXPECT_TRUE(file->path.ends_with(".pdf"));
        names.insert(file->path);
    }
    EXPECT_EQ(names.size(), 20u);

    const auto sub = createTemporaryFolder(folder, "batch-");
    ASSERT_TRUE(sub);
    EXPECT_EQ(testing::fileMode(*sub), 0700u);
    EXPECT_NE(createTemporaryFolder(folder, "batch-"), sub);
    EXPECT_EQ(createTemporaryFile(home.file("missing"), "x"), std::nullopt);
}

}
}
