#include "app/Brand.h"
#include "app/Globals.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

namespace ikw {
namespace {

TEST(Brand, EachWrongTypedKeyFallsBackAlone)
{
    const Brand brand = Brand::parse(R"({"name":"Acme Docs","tagline":7,"modules":["sort"],"palette_accent":"#ff0000"})");
    EXPECT_EQ(brand.name, "Acme Docs");
    EXPECT_EQ(brand.tagline, Brand::fallback().tagline);
    EXPECT_EQ(brand.modules, Brand::fallback().modules);
    EXPECT_EQ(brand.paletteAccent, "#ff0000");
    EXPECT_TRUE(brand.has("sort"));
    EXPECT_FALSE(brand.has("photos"));

    EXPECT_EQ(Brand::parse("not json"), Brand::fallback());
    EXPECT_EQ(Brand::parse("[]"), Brand::fallback());
    EXPECT_FALSE(Brand::parse(R"({"modules":{}})").has("sort"));
    EXPECT_EQ(Brand::parse(R"({"modules":{"sort":1}})").modules, Brand::fallback().modules);
}

TEST(Globals, BuiltFromTheHomeAndTheBundleResources)
{
    testing::TempHome home;
    testing::writeTestFile(home.file("Resources/brand.json"), R"({"name":"Acme"})");
    testing::writeTestFile(home.file("Resources/drag_mode"), " -2\n");
    const Globals globals = Globals::build(Paths::fromEnvironment());
    EXPECT_EQ(globals.home, home.path());
    EXPECT_EQ(globals.archive, home.path() + "/Duveza Zuzuve viz Irovave");
    EXPECT_EQ(globals.secretsPath, home.path() + "/.local/share/Inkwarden/secrets.json");
    EXPECT_EQ(globals.brand.name, "Acme");
    EXPECT_EQ(globals.dragMode, -2);
    EXPECT_EQ(globals.version, "1.0.0");
    EXPECT_EQ(globals.appInfo.identifier, "com.norvale.inkwarden");
}

TEST(Globals, VersionAndDragModeFallBackInOrder)
{
    testing::TempHome home;
    const Paths paths = Paths::fromEnvironment();
    const std::string engineVersion = home.file(".claude/skills/_inkwarden_use_bundled_engine/app/VERSION");

    testing::writeTestFile(engineVersion, "\n 2.4.1 \n");
    EXPECT_EQ(readVersion(paths), "2.4.1");
    // The bundle's identity is its own: the engine's version is no version of the bundle's.
    EXPECT_EQ(Globals::build(paths).appInfo.shortVersion, "0");
    EXPECT_EQ(Globals::build(paths).appInfo.build, "");
    testing::writeTestFile(home.file("Resources/VERSION"), "  \n");
    EXPECT_EQ(readVersion(paths), "2.4.1");
    testing::writeTestFile(home.file("Resources/VERSION"), "3.0.0\n");
    testing::writeTestFile(home.file("Resources/BUILD"), " 57\n");
    EXPECT_EQ(readVersion(paths), "3.0.0");
    EXPECT_EQ(Globals::build(paths).appInfo.shortVersion, "3.0.0");
    EXPECT_EQ(Globals::build(paths).appInfo.build, "57");

    for (const char* text : { "", "two", "2.5", "  " }) {
        testing::writeTestFile(home.file("Resources/drag_mode"), text);
        EXPECT_EQ(readDragMode(paths), 3) << text;
    }
    testing::writeTestFile(home.file("Resources/drag_mode"), "+2\n");
    EXPECT_EQ(readDragMode(paths), 2);
}

}
}
