#include "app/HiddenPageCleanup.h"

#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

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

}
}
