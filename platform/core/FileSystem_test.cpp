#include "platform/core/FileSystem.h"
#include "platform/core/Paths.h"
#include "platform/core/fake/FaultyFileSystem.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <sys/xattr.h>

namespace ikw {
namespace {

TEST(AtomicReplace, ReplacesContentKeepsModeAndAttributesAndLeavesNoTemporaryFile)
{
    testing::TempHome home;
    const std::string path = testing::writeTestFile(home.file("docs/a.txt"), "old");
    ::chmod(path.c_str(), 0640);
    const bool hasXattrs = ::setxattr(path.c_str(), "user.ikw.test", "v1", 2, 0) == 0;

    ASSERT_TRUE(realFileSystem().replaceFile(path, "new contents"));
    EXPECT_EQ(testing::readTestFile(path), "new contents");
    EXPECT_EQ(testing::fileMode(path), 0640u);
    if (hasXattrs) {
        char value[8] = {};
        EXPECT_EQ(::getxattr(path.c_str(), "user.ikw.test", value, sizeof value), 2);
        EXPECT_STREQ(value, "v1");
    }
    EXPECT_EQ(testing::folderEntries(home.file("docs")), (std::vector<std::string> { "a.txt" }));
}

TEST(AtomicReplace, NewPrivateFileIsCreatedWithItsMode)
{
    testing::TempHome home;
    const std::string path = home.file("secret.json");
    ReplaceOptions options;
    options.newFileMode = 0600;
    ASSERT_TRUE(realFileSystem().replaceFile(path, "{}", options));
    EXPECT_EQ(testing::fileMode(path), 0600u);
    ASSERT_TRUE(realFileSystem().replaceFile(path, "{\"a\":1}", options));
    EXPECT_EQ(testing::fileMode(path), 0600u);
}

TEST(AtomicReplace, FailureLeavesTheTargetAndNoTemporaryFile)
{
    testing::TempHome home;
    const std::string missingFolder = home.file("missing/a.txt");
    EXPECT_FALSE(realFileSystem().replaceFile(missingFolder, "x"));

    // Renaming over a folder fails after the temporary file was written.
    const std::string folderTarget = home.file("target");
    ASSERT_TRUE(realFileSystem().createDirectories(folderTarget + "/inner"));
    const auto status = realFileSystem().replaceFile(folderTarget, "x");
    EXPECT_FALSE(status);
    EXPECT_FALSE(status.message().empty());
    EXPECT_EQ(testing::folderEntries(home.path()), (std::vector<std::string> { "Resources", "target" }));
}

TEST(AtomicReplace, CommitReplacementCarriesTheOldFilesMode)
{
    testing::TempHome home;
    const std::string path = testing::writeTestFile(home.file("doc.pdf"), "old");
    ::chmod(path.c_str(), 0604);
    const std::string temporary = testing::writeTestFile(temporarySiblingPath(path), "new");
    EXPECT_EQ(lastPathComponent(temporary).front(), '.');
    ASSERT_TRUE(realFileSystem().commitReplacement(temporary, path));
    EXPECT_EQ(testing::readTestFile(path), "new");
    EXPECT_EQ(testing::fileMode(path), 0604u);
    EXPECT_FALSE(realFileSystem().exists(temporary));
}

TEST(AtomicReplace, LinksStayLinksAndTheFileTheyLeadToIsReplaced)
{
    testing::TempHome home;
    const std::string real = testing::writeTestFile(home.file("docs/real.txt"), "old");
    ::chmod(real.c_str(), 0640);
    ASSERT_TRUE(realFileSystem().createDirectories(home.file("links")));
    const std::string relative = home.file("links/relative.txt");
    const std::string chained = home.file("links/chained.txt");
    ASSERT_EQ(::symlink("../docs/real.txt", relative.c_str()), 0);
    ASSERT_EQ(::symlink(relative.c_str(), chained.c_str()), 0);
    const std::string dangling = home.file("links/dangling.txt");
    ASSERT_EQ(::symlink("../docs/new.txt", dangling.c_str()), 0);

    EXPECT_EQ(resolveSymlinks(chained), home.file("links/../docs/real.txt"));
    ASSERT_TRUE(realFileSystem().replaceFile(chained, "via two links"));
    const std::string temporary = home.file("docs/.hand-made.tmp");
    ASSERT_TRUE(realFileSystem().writePrivateFile(temporary, "committed"));
    ASSERT_TRUE(realFileSystem().commitReplacement(temporary, relative));
    EXPECT_EQ(testing::readTestFile(real), "committed");
    EXPECT_EQ(testing::fileMode(real), 0640u);
    ASSERT_TRUE(realFileSystem().replaceFile(dangling, "made where the link points"));
    EXPECT_EQ(testing::readTestFile(home.file("docs/new.txt")), "made where the link points");

    for (const std::string& link : { relative, chained, dangling }) {
        struct stat info {};
        ASSERT_EQ(::lstat(link.c_str(), &info), 0);
        EXPECT_TRUE(S_ISLNK(info.st_mode)) << link;
    }
    EXPECT_EQ(testing::folderEntries(home.file("docs")), (std::vector<std::string> { "new.txt", "real.txt" }));
    EXPECT_EQ(testing::folderEntries(home.file("links")), (std::vector<std::string> { "chained.txt", "dangling.txt", "relative.txt" }));
}

TEST(AtomicReplace, PrivateFilesAreTheOwnersAloneAndNeverReplaceAnything)
{
    testing::TempHome home;
    const std::string path = home.file("hidden.pdf");
    ASSERT_TRUE(realFileSystem().writePrivateFile(path, "bytes"));
    EXPECT_EQ(testing::fileMode(path), 0600u);
    EXPECT_FALSE(realFileSystem().writePrivateFile(path, "other"));
    EXPECT_EQ(testing::readTestFile(path), "bytes");
    // A new file committed in place of nothing gets an ordinary file's mode.
    ASSERT_TRUE(realFileSystem().commitReplacement(path, home.file("public.pdf")));
    EXPECT_EQ(testing::fileMode(home.file("public.pdf")), defaultNewFileMode());
}

TEST(FileSystem, CreateDirectoriesAndReadWrite)
{
    testing::TempHome home;
    auto& fs = realFileSystem();
    ASSERT_TRUE(fs.createDirectories(home.file("a/b/c")));
    EXPECT_TRUE(fs.createDirectories(home.file("a/b/c")));
    EXPECT_TRUE(fs.isDirectory(home.file("a/b/c")));
    ASSERT_TRUE(fs.writeFile(home.file("a/f"), "data"));
    EXPECT_EQ(fs.readFile(home.file("a/f")), "data");
    EXPECT_EQ(fs.readFile(home.file("a/none")), std::nullopt);
    EXPECT_EQ(fs.readFile(home.file("a")), std::nullopt);
    EXPECT_FALSE(fs.createDirectories(home.file("a/f/g")));
}

TEST(FaultyFileSystem, FailsTheChosenOperationAndRecordsCalls)
{
    testing::TempHome home;
    FaultyFileSystem fs;
    fs.fail(FaultyFileSystem::Operation::Replace, "config");
    EXPECT_FALSE(fs.replaceFile(home.file("config.json"), "x"));
    EXPECT_FALSE(fs.exists(home.file("config.json")));
    EXPECT_TRUE(fs.replaceFile(home.file("other.json"), "x"));
    EXPECT_EQ(fs.calls().size(), 2u);
}

}
}
