#include "app/Globals.h"
#include "app/Settings.h"
#include "platform/core/fake/FaultyFileSystem.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

namespace ikw {
namespace {

class SettingsTest : public ::testing::Test {
protected:
    testing::TempHome home;
    ScopedGlobals scoped { Globals::build(Paths::fromEnvironment()) };
    const std::string& configPath() const { return scoped.get().configPath; }
};

TEST_F(SettingsTest, ConfigLivesInTheProductFolderOfTheDataHome)
{
    EXPECT_EQ(configPath(), home.path() + "/.local/share/Inkwarden/config.json");
}

TEST_F(SettingsTest, LoadOverlaysTheFileOnTheDefaults)
{
    const Json defaults = { { "max_depth", 2 }, { "ignore_archive_folders", true }, { "output_copy_dir", "" }, { "viewer", "app" } };
    struct Case {
        const char* name;
        std::optional<std::string> file;
        Json expected;
    };
    Json withOverlay = defaults;
    withOverlay["max_depth"] = 5;
    withOverlay["extra"] = "x";
    Json withNull = defaults;
    withNull["max_depth"] = nullptr;
    const Case cases[] = {
        { "no file", std::nullopt, defaults },
        { "array", "[1,2]", defaults },
        { "not json", "max_depth = 5", defaults },
        { "object", R"({"max_depth":5,"extra":"x"})", withOverlay },
        { "null value kept", R"({"max_depth":null})", withNull },
    };
    for (const auto& c : cases) {
        testing::removeTree(parentPath(configPath()));
        if (c.file)
            testing::writeTestFile(configPath(), *c.file);
        EXPECT_EQ(loadConfig(), c.expected) << c.name;
    }
}

TEST_F(SettingsTest, FlagsFollowTheirReadingRules)
{
    testing::writeTestFile(configPath(), R"({"yes":"yes","one":"1","true":"true","True":"True","two":2,"zero":0,
        "half":0.5,"whole":3.0,"null":null,"list":[],"b":false})");
    struct Case {
        const char* key;
        bool fallback;
        bool expected;
    };
    const Case cases[] = {
        { "yes", true, false }, { "one", false, true }, { "true", false, true }, { "True", true, false },
        { "two", false, true }, { "zero", true, false }, { "half", true, true }, { "half", false, false },
        { "whole", false, true }, { "null", true, true }, { "list", false, false }, { "b", true, false },
        { "missing", true, true }, { "missing", false, false },
    };
    for (const auto& c : cases)
        EXPECT_EQ(cfgBool(c.key, c.fallback), c.expected) << c.key << " fallback " << c.fallback;
}

TEST_F(SettingsTest, SetBoolWritesSortedIndentedJson)
{
    cfgSetBool("zeta", true);
    cfgSetBool("alpha", false);
    const std::string text = testing::readTestFile(configPath());
    EXPECT_EQ(text,
        "{\n  \"alpha\": false,\n  \"ignore_archive_folders\": true,\n  \"max_depth\": 2,\n  \"output_copy_dir\": \"\",\n"
        "  \"viewer\": \"app\",\n  \"zeta\": true\n}\n");
}

TEST_F(SettingsTest, AnUnreadableFileIsKeptAsideBeforeItIsReplaced)
{
    testing::writeTestFile(configPath(), "{\"max_depth\": 4, oops");
    testing::writeTestFile(configPath() + ".bad", "older bad file");
    cfgSetBool("auto_refresh", false);
    EXPECT_EQ(testing::readTestFile(configPath() + ".bad"), "{\"max_depth\": 4, oops");
    EXPECT_EQ(loadConfig()["auto_refresh"], false);

    // A readable file is not copied aside.
    testing::removeTree(configPath() + ".bad");
    cfgSetBool("auto_refresh", true);
    EXPECT_FALSE(realFileSystem().exists(configPath() + ".bad"));
}

TEST_F(SettingsTest, AFailedWriteLeavesTheOldFileWhole)
{
    FaultyFileSystem fileSystem;
    SettingsStore store(configPath(), fileSystem);
    store.setFlag("a", true);
    fileSystem.fail(FaultyFileSystem::Operation::Replace);
    store.setFlag("b", true);
    EXPECT_EQ(store.load().count("b"), 0u);
    EXPECT_EQ(store.load()["a"], true);
}

TEST_F(SettingsTest, LegacyFolderMovesOnlyWhenTheNewOneIsMissing)
{
    const std::string support = home.path() + "/.local/share";
    testing::writeTestFile(support + "/QEL Visualize/history.json", "[]");
    migrateLegacySupportDir();
    EXPECT_EQ(testing::readTestFile(support + "/Inkwarden/history.json"), "[]");
    EXPECT_FALSE(realFileSystem().exists(support + "/QEL Visualize"));

    testing::writeTestFile(support + "/QEL Visualize/other.json", "{}");
    migrateLegacySupportDir();
    EXPECT_TRUE(realFileSystem().exists(support + "/QEL Visualize/other.json"));
    EXPECT_FALSE(realFileSystem().exists(support + "/Inkwarden/other.json"));
}

}
}
