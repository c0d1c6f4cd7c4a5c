#include "platform/core/Paths.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace ikw {
namespace {

TEST(Paths, FollowTheEnvironment)
{
    testing::TempHome home;
    const Paths paths = Paths::fromEnvironment();
    EXPECT_EQ(paths.home, home.path());
    EXPECT_EQ(paths.dataHome, home.path() + "/.local/share");
    EXPECT_EQ(paths.resourcesDir, home.path() + "/Resources");

    ::setenv("XDG_DATA_HOME", "relative/ignored", 1);
    EXPECT_EQ(Paths::fromEnvironment().dataHome, home.path() + "/.local/share");
}

TEST(Paths, MapMacFoldersToXdgFolders)
{
    testing::TempHome home;
    const Paths paths = Paths::fromEnvironment();
    EXPECT_EQ(paths.mapLibraryPath("~/Library/Application Support/Inkwarden/config.json"), home.path() + "/.local/share/Inkwarden/config.json");
    EXPECT_EQ(paths.mapLibraryPath("~/Library/Caches/Inkwarden"), home.path() + "/.cache/Inkwarden");
    EXPECT_EQ(paths.mapLibraryPath("~/Duveza Zuzuve viz Irovave"), home.path() + "/Duveza Zuzuve viz Irovave");
    EXPECT_EQ(paths.expandTilde("~"), home.path());
    EXPECT_EQ(paths.expandTilde("~user/x"), "~user/x");
    EXPECT_EQ(paths.expandTilde("/abs"), "/abs");
}

TEST(Paths, UserFoldersComeFromUserDirsWithFallbacks)
{
    testing::TempHome home;
    EXPECT_EQ(Paths::fromEnvironment().downloadsDir(), home.path() + "/Downloads");
    testing::writeTestFile(home.file(".config/user-dirs.dirs"), "# comment\nXDG_DOWNLOAD_DIR=\"$HOME/Fetched\"\nXDG_PICTURES_DIR=\"/srv/pics\"\n");
    const Paths paths = Paths::fromEnvironment();
    EXPECT_EQ(paths.downloadsDir(), home.path() + "/Fetched");
    EXPECT_EQ(paths.picturesDir(), "/srv/pics");
}

TEST(Paths, PieceHelpers)
{
    EXPECT_EQ(joinPath("/a/", "/b"), "/a/b");
    EXPECT_EQ(joinPath("/", "b"), "/b");
    EXPECT_EQ(lastPathComponent("/a/b.pdf"), "b.pdf");
    EXPECT_EQ(parentPath("/a/b.pdf"), "/a");
    EXPECT_EQ(parentPath("/b.pdf"), "/");
    EXPECT_EQ(pathExtension("/a/b.tar.gz"), "gz");
    EXPECT_EQ(pathExtension("/a/.hidden"), "");
    EXPECT_EQ(pathExtension("/a.d/b"), "");
}

}
}
