#include "app/WelcomePage.h"

#include "app/Globals.h"
#include "platform/core/fake/FaultyFileSystem.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace ikw {
namespace {

WelcomeContent sampleContent(const testing::TempHome& home)
{
    WelcomeContent content;
    content.brand = Brand::fallback();
    content.brand.name = "Ink & <Co>";
    content.brand.tagline = "Read";
    content.brand.modules = { { "sort", true }, { "read", false } };
    content.pinnedFolders = { "/cases/Smith" };
    content.recentItems = {
        { testing::writeTestFile(home.file("a.pdf"), "x"), false, 1700000000 },
        { "/gone/</script><script>alert(1)</script>", true, 1700000000.25 },
    };
    content.welcomeShape = 3; // not a string
    content.note = "n\u2028";
    content.demo = "qa";
    return content;
}

TEST(WelcomePage, GlobalsCarryTheContentOneAssignmentALine)
{
    testing::TempHome home;
    const auto content = sampleContent(home);
    const std::string a = home.file("a.pdf");
    std::string slashed = a;
    for (std::size_t at = 0; (at = slashed.find('/', at)) != std::string::npos; at += 2)
        slashed.replace(at, 1, "\\/");
    const std::string expected = "window.IKW_SHELL='mac';window.IKW_DESKTOP=true;\n"
        "window.IKW_BRAND={\"modules\":{\"read\":false,\"sort\":true},\"name\":\"Ink & <Co>\",\"tagline\":\"Read\"};\n"
        "window.IKW_PINS=[{\"name\":\"Smith\",\"path\":\"\\/cases\\/Smith\"}];\n"
        "window.IKW_RECENTS=[{\"kind\":\"file\",\"missing\":\"\",\"name\":\"a.pdf\",\"path\":\"" + slashed + "\",\"ts\":\"1700000000.0\"},"
        "{\"kind\":\"folder\",\"missing\":\"1\",\"name\":\"script>\","
        "\"path\":\"\\/gone\\/<\\/script><script>alert(1)<\\/script>\",\"ts\":\"1700000000.25\"}];\n"
        "window.IKW_FDA_TIP=false;\n"
        "window.IKW_ACCEL_OPEN='Ctrl+O';\n"
        "window.IKW_WELCOME_SHAPE=\"folded\";\n"
        "window.IKW_NOTE=\"n\\u2028\";\n"
        "window.IKW_DEMO=\"qa\";";
    EXPECT_EQ(welcomeGlobals(content, realFileSystem()), expected);
}

TEST(WelcomePage, DocumentKeepsItsLayoutAndNothingClosesItsScriptsEarly)
{
    testing::TempHome home;
    auto content = sampleContent(home);
    content.welcomeScript = "var s = '</script>'; var t = '</SCRIPT >';";
    const std::string page = welcomeDocument(content, realFileSystem());

    const std::vector<std::string> inOrder = {
        "<!DOCTYPE html>", "<html>", "<head>", "<meta charset=\"utf-8\">",
        "<script>document.documentElement.dataset.theme=(window.matchMedia", "</script>",
        "<title>Ink &amp; &lt;Co&gt;</title>",
        "family=Inter:wght@300;400;500;600&amp;display=swap",
        "<style>html,body{height:100%;margin:0;background:linear-gradient(165deg,var(--bg1,#fff),var(--bg2,#f3eee4))}</style>",
        "</head>", "<body>", "<script>\nwindow.IKW_SHELL=", "window.IKW_DEMO=\"qa\";\n</script>",
        "<script>\nvar s = '<\\/script>'; var t = '<\\/SCRIPT >';\n</script>", "</body>", "</html>",
    };
    std::size_t at = 0;
    for (const auto& piece : inOrder) {
        const auto found = page.find(piece, at);
        ASSERT_NE(found, std::string::npos) << "missing or out of order: " << piece;
        at = found + piece.size();
    }
    // Four script elements open and four close: the hostile folder name and script stay text.
    auto count = [&](const std::string& needle) {
        std::size_t n = 0;
        for (std::size_t i = page.find(needle); i != std::string::npos; i = page.find(needle, i + 1))
            ++n;
        return n;
    };
    EXPECT_EQ(count("</script>"), 3u);
    EXPECT_EQ(count("<script>"), 3u + 1u /* inside the escaped name, harmless in a JS string */);
}

TEST(WelcomePage, ListsTwelveRecentItemsAtMost)
{
    testing::TempHome home;
    WelcomeContent content;
    for (int i = 0; i < 30; ++i)
        content.recentItems.push_back({ "/r" + std::to_string(i), false, double(i) });
    const auto globals = welcomeGlobals(content, realFileSystem());
    EXPECT_NE(globals.find("\\/r11\""), std::string::npos);
    EXPECT_EQ(globals.find("\\/r12\""), std::string::npos);
}

TEST(WelcomePage, DemoModeComesFromTheArgumentTheEnvironmentOrTheCommandLine)
{
    struct Case {
        std::optional<std::string> demo;
        const char* environment;
        std::vector<std::string> arguments;
        std::string expected;
    };
    const Case cases[] = {
        { std::nullopt, nullptr, { "app" }, "" },
        { std::nullopt, nullptr, { "app", "--demo" }, "qa" },
        { std::nullopt, nullptr, { "app", "--demo", "--dark" }, "qa" },
        { std::nullopt, nullptr, { "app", "--demo", "marketing" }, "marketing" },
        { std::nullopt, "env", { "app", "--demo", "marketing" }, "env" },
        { std::nullopt, "", { "app", "--demo", "marketing" }, "marketing" },
        { "given", "env", { "app", "--demo", "marketing" }, "given" },
        { "", "env", {}, "env" },
    };
    for (const auto& c : cases) {
        if (c.environment)
            setenv("IKW_DEMO", c.environment, 1);
        else
            unsetenv("IKW_DEMO");
        EXPECT_EQ(welcomeDemoMode(c.demo, c.arguments), c.expected);
    }
    unsetenv("IKW_DEMO");
}

TEST(WelcomePage, TimestampsAlwaysHaveAFraction)
{
    EXPECT_EQ(welcomeTimestamp(12), "12.0");
    EXPECT_EQ(welcomeTimestamp(1700000000.5), "1700000000.5");
    EXPECT_EQ(welcomeTimestamp(0.001), "0.001");
}

TEST(WelcomePage, WritesAFreshHiddenFileOrReportsNothing)
{
    testing::TempHome home;
    ScopedGlobals process(Globals::build(Paths::fromEnvironment()));
    testing::writeTestFile(process.get().paths.resourcesDir + "/engine/welcome.js", "drawWelcome();");

    const auto first = writeWelcomeFile(std::nullopt, std::nullopt, {});
    const auto second = writeWelcomeFile("note", "qa", {});
    ASSERT_TRUE(first && second);
    EXPECT_NE(*first, *second);
    EXPECT_EQ(parentPath(*first), process.get().archive);
    EXPECT_EQ(lastPathComponent(*first).rfind(".welcome-", 0), 0u);
    EXPECT_EQ(lastPathComponent(*first).size(), std::string(".welcome-").size() + 36 + 5);
    const auto text = testing::readTestFile(*second);
    EXPECT_NE(text.find("drawWelcome();"), std::string::npos);
    EXPECT_NE(text.find("window.IKW_NOTE=\"note\";"), std::string::npos);

    FaultyFileSystem failing;
    failing.fail(FaultyFileSystem::Operation::Replace, ".welcome-");
    EXPECT_FALSE(writeWelcomeFile(std::nullopt, std::nullopt, {}, failing));
}

}
}
