#include "app/HiddenPageCleanup.h"

#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace ikw {
namespace {

TEST(HiddenPageCleanup, RemovesOnlyGeneratedPagesOlderThanADay)
{
    namespace fs = std::filesystem;
    testing::TempHome home;
    const std::string folder = home.file("reviews");
    const auto now = fs::file_time_type::clock::now();
    struct Case {
        const char* name;
        std::chrono::hours age;
        bool removed;
    };
    const Case cases[] = {
        { ".welcome-A.html", std::chrono::hours(25), true },
        { ".loading-B.html", std::chrono::hours(48), true },
        { ".panel-C.html", std::chrono::hours(30), true },
        { ".welcome-D.html", std::chrono::hours(2), false },   // may still be on screen
        { "welcome-E.html", std::chrono::hours(50), false },   // the user's own file
        { ".welcome-", std::chrono::hours(50), false },        // no name after the prefix
        { ".ocr-F.json", std::chrono::hours(50), false },      // another purpose's job file
    };
    for (const auto& c : cases) {
        const auto path = testing::writeTestFile(folder + "/" + c.name, "x");
        fs::last_write_time(path, now - c.age);
    }
    fs::create_directories(folder + "/.panel-folder");
    fs::last_write_time(folder + "/.panel-folder", now - std::chrono::hours(50));

    EXPECT_EQ(removeStaleHiddenPages(folder, now), 3);
    for (const auto& c : cases)
        EXPECT_EQ(fs::exists(folder + "/" + c.name), !c.removed) << c.name;
    EXPECT_TRUE(fs::exists(folder + "/.panel-folder"));
    EXPECT_EQ(removeStaleHiddenPages(home.file("absent"), now), 0);
}

TEST(HiddenPageCleanup, OddFoldersAndEntriesNeverThrow)
{
    namespace fs = std::filesystem;
    testing::TempHome home;
    const std::string folder = home.file("reviews");
    const auto old = fs::file_time_type::clock::now() - std::chrono::hours(50);
    const auto stale = testing::writeTestFile(folder + "/.loading-\xff\xfe.html", "x"); // not UTF-8
    fs::last_write_time(stale, old);
    ASSERT_EQ(mkfifo((folder + "/.panel-fifo.html").c_str(), 0600), 0);
    fs::create_symlink(home.file("gone"), folder + "/.welcome-dangling.html");
    const auto notAFolder = testing::writeTestFile(home.file("file.txt"), "x");

    EXPECT_NO_THROW(EXPECT_EQ(removeStaleHiddenPages(folder), 1));
    EXPECT_FALSE(fs::exists(stale));
    EXPECT_TRUE(fs::is_fifo(folder + "/.panel-fifo.html"));
    EXPECT_TRUE(fs::is_symlink(folder + "/.welcome-dangling.html"));
    EXPECT_NO_THROW(EXPECT_EQ(removeStaleHiddenPages(notAFolder), 0));
    if (geteuid() != 0) { // root reads every folder
        fs::permissions(folder, fs::perms::none);
        EXPECT_NO_THROW(EXPECT_EQ(removeStaleHiddenPages(folder), 0));
        fs::permissions(folder, fs::perms::owner_all);
    }
}

}
}
