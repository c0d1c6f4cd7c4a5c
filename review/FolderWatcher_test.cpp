#include "review/FolderWatcher.h"

#include "platform/core/GLibMainQueue.h"
#include "review/InotifyTree.h"
#include "tests/support/TempHome.h"

#include <glib.h>
#include <gtest/gtest.h>

#include <filesystem>

namespace ikw {
namespace {

// Runs the default GLib main context until `done` or two seconds pass.
bool iterateUntil(const std::function<bool()>& done)
{
    const auto deadline = g_get_monotonic_time() + 2 * G_USEC_PER_SEC;
    while (!done() && g_get_monotonic_time() < deadline) {
        if (!g_main_context_iteration(nullptr, FALSE))
            g_usleep(5000);
    }
    return done();
}

TEST(FolderWatcher, WatchesTheFoldersThePathsStandFor)
{
    testing::TempHome home;
    const auto folder = home.file("docs");
    testing::writeTestFile(folder + "/a.pdf", "a");
    testing::writeTestFile(folder + "/b.pdf", "b");
    struct Case {
        const char* what;
        std::vector<std::string> paths;
        std::vector<std::string> folders;
    };
    const Case cases[] = {
        { "a folder", { folder }, { folder } },
        { "a file stands for its folder", { folder + "/a.pdf" }, { folder } },
        { "two files of one folder", { folder + "/a.pdf", folder + "/b.pdf" }, { folder } },
        { "a missing path stands for its parent", { home.file("gone/x.pdf") }, { home.file("gone") } },
        { "empty strings", { "", "" }, {} },
    };
    for (const auto& c : cases)
        EXPECT_EQ(FolderWatcher::foldersToWatch(c.paths), c.folders) << c.what;
    EXPECT_EQ(FolderWatcher::create({ "" }, [] {}), nullptr);
}

TEST(FolderWatcher, ChangesDeepInTheTreeAndInNewFoldersAreSeen)
{
    testing::TempHome home;
    const auto root = home.file("review");
    testing::writeTestFile(root + "/one/two/deep.txt", "x");
    GLibMainQueue queue;
    ScopedMainQueue installed { queue };
    int events = 0;
    InotifyTree tree([&] { ++events; });
    ASSERT_TRUE(tree.addTree(root));
    ASSERT_TRUE(iterateUntil([&] { return tree.watchCount() == 3; })); // the sub-folders are found in the background

    testing::writeTestFile(root + "/one/two/deep.txt", "changed");
    EXPECT_TRUE(iterateUntil([&] { return events > 0; })) << "a change two levels down";

    std::filesystem::create_directories(root + "/fresh/inner");
    ASSERT_TRUE(iterateUntil([&] { return tree.watchCount() == 5; }));
    events = 0;
    testing::writeTestFile(root + "/fresh/inner/new.txt", "x");
    EXPECT_TRUE(iterateUntil([&] { return events > 0; })) << "a change in a folder made after the watch began";
}

}
}
