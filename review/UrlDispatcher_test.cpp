#include "review/PageBridgeTestFixture.h"

#include "app/RecentItems.h"
#include "app/Settings.h"
#include "platform/core/Json.h"
#include "platform/core/Paths.h"
#include "review/fake/StandInEngine.h"

#include <gmock/gmock.h>

#include <sys/stat.h>

#include <algorithm>
#include <functional>
#include <set>

namespace ikw {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ui::NavigationPolicy;

class UrlDispatch : public testing::PageBridgeFixture {
protected:
    std::string file(const std::string& name, const std::string& text = "x")
    {
        return testing::writeTestFile(home.file("docs/" + name), text);
    }
    ui::fake::FakeWorkspace& workspace() { return toolkit.fakeWorkspace; }
};

TEST_F(UrlDispatch, NavigationPolicy)
{
    const std::string pdf = file("a.pdf");
    const std::string program = file("tool");
    chmod(program.c_str(), 0755);
    struct Case {
        std::string url;
        NavigationPolicy policy;
        std::vector<std::string> openedUrls, openedFiles, revealed;
    };
    const std::vector<Case> cases {
        { "qeliz://nosuchaction?x=1", NavigationPolicy::Cancel, {}, {}, {} },
        { "qeliz://", NavigationPolicy::Cancel, {}, {}, {} },
        { "qeliz:cancel", NavigationPolicy::Cancel, {}, {}, {} },
        { "https://example.org/a", NavigationPolicy::Cancel, { "https://example.org/a" }, {}, {} },
        { "http://example.org/", NavigationPolicy::Cancel, { "http://example.org/" }, {}, {} },
        { "file://" + home.file("reviews/other.HTML"), NavigationPolicy::Allow, {}, {}, {} },
        { "file://" + home.file("engine/reader.html") + "?pdf=/x/a.pdf&orig=/x/a.txt#p2", NavigationPolicy::Allow, {}, {}, {} },
        { "file://" + pdf + "?page=2", NavigationPolicy::Cancel, {}, { pdf }, {} },
        { "file://" + home.file("docs/page.htm"), NavigationPolicy::Cancel, {}, { home.file("docs/page.htm") }, {} },
        { "file://" + pdf, NavigationPolicy::Cancel, {}, { pdf }, {} },
        { "file://" + program, NavigationPolicy::Cancel, {}, {}, { program } },
        { "about:blank", NavigationPolicy::Allow, {}, {}, {} },
        { "vtpdf://open?p=%2Fa.pdf", NavigationPolicy::Allow, {}, {}, {} },
        { "data:text/html,hi", NavigationPolicy::Allow, {}, {}, {} },
        { "", NavigationPolicy::Allow, {}, {}, {} },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        workspace() = {};
        const auto loads = view().loads.size();
        EXPECT_EQ(send(c.url), c.policy);
        EXPECT_EQ(workspace().openedUrls, c.openedUrls);
        EXPECT_EQ(workspace().openedFiles, c.openedFiles);
        EXPECT_EQ(workspace().revealed, c.revealed);
        EXPECT_EQ(view().loads.size(), loads);
        EXPECT_THAT(engineRuns, IsEmpty());
    }
}

TEST_F(UrlDispatch, DefaultApplicationsNeverRunPrograms)
{
    const std::string launcher = file("Notes.desktop", "[Desktop Entry]\nExec=sh\n");
    const std::string script = file("setup", "#!/bin/sh\necho hi\n");
    const std::string linkToLauncher = home.file("docs/link.txt");
    symlink(launcher.c_str(), linkToLauncher.c_str());
    const std::string text = file("notes.txt", "plain words\n");
    for (const auto& path : { launcher, script, linkToLauncher }) {
        SCOPED_TRACE(path);
        workspace() = {};
        send("qeliz://opendefault?path=" + path);
        EXPECT_THAT(workspace().openedFiles, IsEmpty());
        EXPECT_THAT(workspace().revealed, ElementsAre(path));
    }
    workspace() = {};
    send("qeliz://opendefault?p=" + text);
    EXPECT_THAT(workspace().openedFiles, ElementsAre(text));
}

// One case per host the review layer registers: the URL sent, what must have happened.
struct ActionCase {
    std::string host;
    std::function<std::string()> arrange; // returns the action URL
    std::function<void()> check;
};

TEST_F(UrlDispatch, EveryOwnActionReachesItsHandler)
{
    testing::installStandInEngine(home.path());
    const std::string doc = file("a.pdf");
    const std::string other = file("b.pdf");
    const std::string loading = home.file("reviews/.loading-x.html");
    const auto lastRun = [this] { return engineRuns.empty() ? std::vector<std::string> {} : engineRuns.back(); };
    const auto withLoadingFile = [&](std::vector<std::string> sources) {
        window->loadingFile = loading;
        window->hasContent = true;
        window->sourcePaths = std::move(sources);
    };
    const auto settings = [] { return loadConfig(); };
    const auto closed = [this] { return windowOf(*window).closed; };

    const std::vector<ActionCase> cases {
        { "review", [&] { withLoadingFile({ "/s" }); return "qeliz://review?folders=null&folders=%2Fa&folders=&types=pdf&remember=0&remember=1"; },
            [&] { EXPECT_EQ(lastRun(), (std::vector<std::string> { "--loading-file", loading, "--include-folders", "/a", "--include-types", "pdf", "--remember", "/s" })); } },
        { "cancel", [&] { withLoadingFile({ "/s" }); return "qeliz://cancel"; },
            [&] { EXPECT_EQ(view().loads.back(), "file://" + loading); } },
        { "retry", [&] { withLoadingFile({ "/s" }); return "qeliz://retry"; },
            [&] { EXPECT_EQ(lastRun(), (std::vector<std::string> { "--choose", "--loading-file", loading, "/s" })); } },
        { "adjust", [&] { withLoadingFile({ "/s" }); return "qeliz://adjust"; },
            [&] { EXPECT_EQ(lastRun(), (std::vector<std::string> { "--choose", "--loading-file", loading, "--reset-pref", "/s" })); } },
        { "recache", [&] { withLoadingFile({ "/s" }); return "qeliz://recache"; },
            [&] { EXPECT_EQ(lastRun(), (std::vector<std::string> { "--choose", "--loading-file", loading, "--fresh", "/s" })); } },
        { "gridready", [&] { window->isGrid = true; window->gridJSON = "[1]"; window->sourcePaths = { "/g" }; return "qeliz://gridready"; },
            [&] { EXPECT_EQ(view().evaluated.back(), "if(window.ikwGrid){try{ikwGrid([1]," + jsQuote("/g") + ")}catch(e){}}"); } },
        { "comparego", [&] { return "qeliz://comparego?a=" + doc + "&b=" + other; },
            [&] {
                EXPECT_THAT(recents, ElementsAre(std::vector<std::string> { doc, other }));
                EXPECT_THAT(lastRun(), ::testing::ElementsAre("--choose", "--loading-file", ::testing::_, "--mode", "compare", doc, other));
            } },
        { "histlib", [&] { return "qeliz://histlib?p=" + doc + "%0A%2Fgone"; },
            [&] {
                EXPECT_THAT(stats, ElementsAre("history.as_library"));
                EXPECT_THAT(lastRun(), ElementsAre("--choose", "--loading-file", ::testing::_, doc));
            } },
        { "home", [&] { window->sourcePaths = { "/s" }; return "qeliz://home"; },
            [&] { EXPECT_EQ(view().loads.back(), "file://" + welcome); EXPECT_THAT(window->sourcePaths, IsEmpty()); } },
        { "histclose", [&] { return "qeliz://histclose"; }, [&] { EXPECT_TRUE(closed()); } },
        { "closenow", [&] { window->isReader = true; return "qeliz://closenow"; },
            [&] { EXPECT_TRUE(window->reader.readerClosing); EXPECT_TRUE(closed()); } },
        { "editstate", [&] {
              services.features.pushEditState = [](ReviewWC& target) { target.evaluate("editState"); };
              services.features.pushWordButton = [](ReviewWC& target) { target.evaluate("wordButton"); };
              window->setPaths = { "/a", "/b" };
              return "qeliz://editstate";
          },
            [&] {
                EXPECT_THAT(view().evaluated, ElementsAre("editState", "wordButton", "if(window.ikwSetState){try{ikwSetState(2,\"together\")}catch(e){}}"));
                services.features.pushEditState = nullptr;
                services.features.pushWordButton = nullptr;
            } },
        { "keepawake", [&] { send("qeliz://keepawake?on=1"); return "qeliz://keepawake?on=1"; },
            [&] {
                EXPECT_EQ(toolkit.fakeKeepAwake.held, 1);
                EXPECT_THAT(toolkit.fakeKeepAwake.reasons, ElementsAre("Inkwarden Reading Mode"));
                send("qeliz://keepawake");
                EXPECT_EQ(toolkit.fakeKeepAwake.held, 0);
            } },
        // Page text in the log line is data, never a format.
        { "rmdiag", [&] { window->sourcePaths = { "/d/report.pdf" }; return "qeliz://rmdiag?err=%25s%25n%25s&words=%25d"; },
            [&] { EXPECT_THAT(view().evaluated, IsEmpty()); } },
        { "viewready", [&] { window->reader.pendingViewRestore = "{\"p\":\"it's\"}"; return "qeliz://viewready"; },
            [&] {
                send("qeliz://viewready");
                EXPECT_THAT(view().evaluated, ElementsAre("if(window.__ikwRestoreView){try{__ikwRestoreView(" + jsQuote("{\"p\":\"it's\"}") + ")}catch(e){}}"));
            } },
        { "resettoolbar", [&] { window->isReader = true; windows.open(page); return "qeliz://resettoolbar"; },
            [&] {
                EXPECT_THAT(view().evaluated, ElementsAre("if(window.__ikwResetToolbar)__ikwResetToolbar()"));
                EXPECT_THAT(viewOf(*windows.windows().back()).evaluated, IsEmpty());
            } },
        { "histreveal", [&] { return "qeliz://histreveal?path=" + doc; }, [&] { EXPECT_THAT(workspace().revealed, ElementsAre(doc)); } },
        { "reveal", [&] { send("qeliz://reveal?path=docs%2Fa.pdf"); send("qeliz://reveal?path=%2Fgone"); return "qeliz://reveal?p=" + doc; },
            [&] { EXPECT_THAT(workspace().revealed, ElementsAre(doc)); } },
        { "opendefault", [&] { send("qeliz://opendefault?path=%2Fgone.pdf"); return "qeliz://opendefault?path=" + doc; },
            [&] { EXPECT_THAT(workspace().openedFiles, ElementsAre(doc)); } },
        { "copyfile", [&] { send("qeliz://copyfile?path=%2Fgone"); EXPECT_THAT(toolkit.fakeClipboard.files, IsEmpty()); return "qeliz://copyfile?path=" + doc; },
            [&] {
                EXPECT_THAT(toolkit.fakeClipboard.files, ElementsAre(doc));
                queue.drain();
                EXPECT_THAT(view().evaluated, ElementsAre("window.__ikwToast && __ikwToast(" + jsQuote("Copied \u201C" + lastPathComponent(doc) + "\u201D \u2014 paste it in Files") + ")"));
            } },
        { "setview", [&] { send("qeliz://setview?mode=tiles"); EXPECT_FALSE(settings().contains("folder_view")); return "qeliz://setview?mode=column"; },
            [&] { EXPECT_EQ(settings().value("folder_view", ""), "column"); } },
        { "paircode", [&] { return "qeliz://paircode?code=ab-12%20c"; },
            [&] {
                send("qeliz://paircode?code=zz9");
                EXPECT_EQ(settings().value("pair_code", ""), "AB12C");
            } },
        { "defaultnever", [&] { return "qeliz://defaultnever"; },
            [&] { EXPECT_EQ(appUserDefaults().boolean("ikwDefaultNeverAsk"), true); } },
        { "defaultneverundo", [&] { appUserDefaults().set("ikwDefaultNextAskAt", 5.0); return "qeliz://defaultneverundo"; },
            [&] {
                EXPECT_EQ(appUserDefaults().boolean("ikwDefaultNeverAsk"), false);
                EXPECT_FALSE(appUserDefaults().value("ikwDefaultNextAskAt"));
            } },
        { "prefs", [&] { return "qeliz://prefs"; },
            [&] {
                ASSERT_TRUE(queue.runUntil([&] { return bridge->panels->visiblePanel("settings") != nullptr; }));
                send("qeliz://prefs"); // a second time closes it
                EXPECT_EQ(bridge->panels->visiblePanel("settings"), nullptr);
            } },
    };

    std::set<std::string> covered;
    for (const ActionCase& c : cases) {
        SCOPED_TRACE(c.host);
        covered.insert(c.host);
        window = windows.open(page);
        engineRuns.clear();
        recents.clear();
        stats.clear();
        workspace() = {};
        const std::string url = c.arrange();
        view().evaluated.clear();
        EXPECT_EQ(send(url), NavigationPolicy::Cancel);
        c.check();
    }
    const auto registered = bridge->actions.hosts();
    EXPECT_EQ(std::set<std::string>(registered.begin(), registered.end()), covered);
}

TEST_F(UrlDispatch, PageValuesNeverReachTheEngineAsOptions)
{
    // A file the engine would take for a loading page to overwrite, named as a page would name it.
    const std::string victim = file("victim.txt", "keep me");
    const std::string doc = file("a.pdf");
    window->loadingFile = home.file("reviews/.loading-x.html");
    window->hasContent = true;
    window->sourcePaths = { doc };
    for (const std::string& url : {
             "qeliz://comparego?a=--loading-file&b=" + victim,
             "qeliz://comparego?a=" + doc + "&b=--fresh",
             "qeliz://comparego?a=docs%2Fa.pdf&b=" + doc, // relative: the engine's folder would decide
             "qeliz://comparego?a=" + doc + "%00x&b=" + doc,
             "qeliz://histlib?p=--loading-file%0A" + victim + "%0Adocs%2Fa.pdf",
         }) {
        SCOPED_TRACE(url);
        engineRuns.clear();
        send(url);
        for (const auto& run : engineRuns) {
            EXPECT_EQ(std::count(run.begin(), run.end(), "--loading-file"), 1) << "only the window's own loading file";
            for (const auto& argument : run)
                EXPECT_NE(argument, "docs/a.pdf");
        }
    }
    engineRuns.clear();
    window->sourcePaths = { doc };
    send("qeliz://review?folders=--loading-file&types=-x&folders=%2Fkept");
    EXPECT_THAT(engineRuns.back(), ElementsAre("--loading-file", *window->loadingFile, "--include-folders", "/kept", doc));
    EXPECT_EQ(testing::readTestFile(victim), "keep me");
}

TEST_F(UrlDispatch, RequiredItemsMissingDoNothing)
{
    for (const char* url : { "qeliz://comparego?a=%2Fx", "qeliz://histlib?p=%2Fgone", "qeliz://reveal", "qeliz://opendefault?path=",
             "qeliz://setview", "qeliz://paircode?code=-%20-", "qeliz://histreveal?path=rel%2Fa" }) {
        SCOPED_TRACE(url);
        EXPECT_EQ(send(url), NavigationPolicy::Cancel);
        EXPECT_THAT(engineRuns, IsEmpty());
        EXPECT_THAT(workspace().revealed, IsEmpty());
        EXPECT_THAT(workspace().openedFiles, IsEmpty());
        EXPECT_FALSE(loadConfig().contains("pair_code"));
    }
}

}
}
