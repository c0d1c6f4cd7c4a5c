#include "crossdoc/FolderWalk.h"

#include "crossdoc/ScopeCandidates.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace ikw::crossdoc {
namespace {

class FolderWalkTest : public ::testing::Test {
protected:
    FolderWalkTest()
    {
        for (const char* name : { "b.pdf", "a/z.pdf", "a/y/x.txt", ".hidden.pdf", ".cache/inside.pdf", "Report.rtfd/TXT.rtf",
                 "Slides.KEY/inner.pdf", "c.pages", "link-target/t.pdf" })
            ikw::testing::writeTestFile(root + "/" + name, "x");
        symlink((root + "/link-target").c_str(), (root + "/d-link").c_str());
    }

    std::vector<std::string> walk(const std::string& folder, std::size_t stopAfter = 100)
    {
        std::vector<std::string> seen;
        walkFolder(folder, [&](const std::string& path) {
            seen.push_back(path.substr(root.size() + 1));
            return seen.size() >= stopAfter ? WalkStep::Stop : WalkStep::Continue;
        });
        return seen;
    }

    ikw::testing::TempHome home;
    const std::string root = home.file("root");
};

TEST_F(FolderWalkTest, ListsInNameOrderSkippingHiddenAndPackageInsides)
{
    EXPECT_EQ(walk(root), (std::vector<std::string> { "Report.rtfd", "Slides.KEY", "a", "a/y", "a/y/x.txt", "a/z.pdf", "b.pdf",
                              "c.pages", "d-link", "link-target", "link-target/t.pdf" }));
    EXPECT_EQ(walk(root + "/"), walk(root)) << "a trailing slash changes nothing";
    EXPECT_EQ(walk(root, 4), (std::vector<std::string> { "Report.rtfd", "Slides.KEY", "a", "a/y" }));
    EXPECT_TRUE(walk(root + "/missing").empty());
    EXPECT_TRUE(walk(root + "/b.pdf").empty());
}

TEST_F(FolderWalkTest, AnUnreadableSubfolderIsPassedOver)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads every folder";
    ASSERT_EQ(::chmod((root + "/a").c_str(), 0), 0);
    const auto seen = walk(root);
    ::chmod((root + "/a").c_str(), 0755);
    EXPECT_EQ(seen, (std::vector<std::string> { "Report.rtfd", "Slides.KEY", "a", "b.pdf", "c.pages", "d-link", "link-target",
                        "link-target/t.pdf" }));
}

TEST_F(FolderWalkTest, ScopesTakeGivenFilesFirstThenFoldersUpToTheCap)
{
    const auto isPdf = [](const std::string& path) { return path.ends_with(".pdf"); };
    const auto any = [](const std::string&) { return true; };
    const std::string given = root + "/b.pdf";
    EXPECT_EQ(collectScope({ root, root + "/a" }, { given, "/not/checked" }, { .maxFiles = 10, .acceptGiven = any, .acceptFound = isPdf }),
        (std::vector<std::string> { given, "/not/checked", root + "/a/z.pdf", root + "/link-target/t.pdf" }));
    EXPECT_EQ(collectScope({ root }, { given }, { .maxFiles = 2, .acceptGiven = any, .acceptFound = isPdf }),
        (std::vector<std::string> { given, root + "/a/z.pdf" }));
    EXPECT_EQ(collectScope({ root }, { "/x1", "/x2", "/x3" }, { .maxFiles = 2, .acceptGiven = any, .acceptFound = isPdf }).size(), 3u)
        << "given files are not capped";
}

}
}
