#include "platform/core/UserDefaults.h"

#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <thread>

namespace ikw {
namespace {

TEST(UserDefaults, TypedReadsAnswerOnlyForTheirOwnType)
{
    testing::TempHome home;
    UserDefaults defaults(home.file("support/app.id.json"));
    defaults.set("name", "a");
    defaults.set("flag", true);
    defaults.set("count", 3);
    defaults.set("paths", Json::array({ "/a", "/b" }));
    defaults.set("mixed", Json::array({ "/a", 2 }));

    EXPECT_EQ(defaults.string("name"), "a");
    EXPECT_EQ(defaults.boolean("flag"), true);
    EXPECT_EQ(defaults.number("count"), 3.0);
    EXPECT_EQ(defaults.stringArray("paths"), (std::vector<std::string> { "/a", "/b" }));
    EXPECT_FALSE(defaults.string("count"));
    EXPECT_FALSE(defaults.boolean("name"));
    EXPECT_FALSE(defaults.number("flag"));
    EXPECT_FALSE(defaults.stringArray("mixed"));
    EXPECT_TRUE(defaults.array("mixed"));
    EXPECT_FALSE(defaults.value("absent"));

    // Another instance (another window, a later start) sees the same values; removal sticks.
    UserDefaults again(home.file("support/app.id.json"));
    again.remove("name");
    EXPECT_FALSE(defaults.string("name"));
    EXPECT_EQ(defaults.boolean("flag"), true);
}

TEST(UserDefaults, AnUnreadableFileReadsAsEmptyAndIsReplacedOnWrite)
{
    testing::TempHome home;
    const auto path = testing::writeTestFile(home.file("d.json"), "[not an object");
    UserDefaults defaults(path);
    EXPECT_FALSE(defaults.value("x"));
    defaults.set("x", 1);
    EXPECT_EQ(defaults.number("x"), 1.0);
}

TEST(UserDefaults, TwoThreadsWritingDifferentKeysLoseNone)
{
    testing::TempHome home;
    const std::string path = home.file("support/app.id.json");
    constexpr int kKeysPerThread = 500;
    // Each thread has its own instance, as two callers of the application's defaults would.
    const auto writer = [&](char prefix) {
        UserDefaults defaults(path);
        for (int i = 0; i < kKeysPerThread; ++i)
            defaults.set(std::string(1, prefix) + std::to_string(i), i);
    };
    std::thread first(writer, 'a');
    std::thread second(writer, 'b');
    first.join();
    second.join();

    const UserDefaults defaults(path);
    int missing = 0;
    for (int i = 0; i < kKeysPerThread; ++i) {
        for (const char prefix : { 'a', 'b' })
            missing += defaults.number(std::string(1, prefix) + std::to_string(i)) != double(i);
    }
    EXPECT_EQ(missing, 0);
}

}
}
