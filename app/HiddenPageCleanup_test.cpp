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
        { ".history-G.html", std::chrono::hours(26), true },
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

    EXPECT_EQ(removeStaleHiddenPages(folder, now), 4);
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

TEST(HiddenPageCleanup, RewriteFilesOfEarlierRunsGoTheirDocumentsStay)
{
    namespace fs = std::filesystem;
    testing::TempHome home;
    const std::string folder = home.file("Matter");
    const auto launched = fs::file_time_type::clock::now();
    const std::string uuid = "6B29FC40-CA47-1067-B31D-00DD010662DA";
    struct Case {
        std::string name;
        bool old;
        bool removed;
    };
    const Case cases[] = {
        { ".ikw-pageop-" + uuid + ".pdf", true, true },
        { ".ikw-fillform-" + uuid + ".pdf", true, true },
        { ".ikw-split-" + uuid + ".pdf", true, true },
        { ".ikw-pageop-" + uuid + ".pdf.keep", true, false },
        { ".ikw-pageop-notes.pdf", true, false },
        { ".ikw--" + uuid + ".pdf", true, false },
        { "ikw-pageop-" + uuid + ".pdf", true, false },
        { ".ikw-pageop-6B29FC40-CA47-1067-B31D-00DD010662DB.pdf", false, false }, // a rewrite running now
        { "brief.pdf", true, false },
    };
    for (const auto& c : cases) {
        const auto path = testing::writeTestFile(folder + "/" + c.name, "x");
        if (c.old)
            fs::last_write_time(path, launched - std::chrono::minutes(5));
        else
            fs::last_write_time(path, launched + std::chrono::seconds(1));
    }
    EXPECT_EQ(removeStaleRewriteFiles(folder, launched), 3);
    for (const auto& c : cases)
        EXPECT_EQ(fs::exists(folder + "/" + c.name), !c.removed) << c.name;

    EXPECT_EQ(recentDocumentFolders({ "/m/a.pdf", "/m/b.pdf", "/n/c.pdf", "relative.pdf" }, { "/m", "/o" }),
        (std::vector<std::string> { "/m", "/n", "/o" }));
}

}
}
