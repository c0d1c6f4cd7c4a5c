#include "library/WindowOpeners.h"

#include "library/OpenRouter.h"
#include "library/WindowLookup.h"
#include "review/ReviewTestFixture.h"
#include "review/fake/StandInEngine.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace ikw::library {
namespace {

using ::testing::ElementsAre;

class WindowOpening : public testing::ReviewFixture {
protected:
    WindowOpening()
    {
        hooks.openAppsMenu = [this](const std::string& path) { appsMenus.push_back(path); };
        openers = std::make_unique<WindowOpeners>(services, windows, hooks);
    }
    std::string lastLoad(const ReviewWC& window) { return viewOf(window).loads.empty() ? "" : viewOf(window).loads.back(); }
    std::string doc(const std::string& name) const { return home.file("docs/" + name); }

    OpenerHooks hooks;
    std::vector<std::string> appsMenus;
    std::unique_ptr<WindowOpeners> openers;
};

TEST_F(WindowOpening, ReadersReuseAnEmptyKeyWindowAndOtherwiseJoinItsTabs)
{
    auto welcome = windows.open(std::nullopt);
    openers->openReader(doc("a.pdf"), { .setPaths = { doc("a.pdf") } });
    ASSERT_EQ(windows.windows().size(), 1u);
    EXPECT_TRUE(welcome->isReader && welcome->hasContent && welcome->isPdfEdit);
    EXPECT_TRUE(welcome->setPaths.empty()); // one path is no set
    EXPECT_EQ(lastLoad(*welcome).rfind("file://" + home.file("Resources/engine/vendor/pdfjs/reader.html?pdf="), 0), 0u) << lastLoad(*welcome);
    EXPECT_EQ(windowOf(*welcome).title(), "a.pdf");

    openers->openReader(doc("b.pdf"), { .page = 4, .setPaths = { doc("a.pdf"), doc("b.pdf") } });
    ASSERT_EQ(windows.windows().size(), 2u);
    const auto second = windows.windows().back();
    EXPECT_EQ(&second->window(), &welcome->window()); // a tab of the key review's window
    EXPECT_EQ(second->setPaths.size(), 2u);
    EXPECT_NE(lastLoad(*second).find("&page=4"), std::string::npos);
    EXPECT_EQ(keyReview(windows), second);

    writeConfig(R"({"open_in":"window"})");
    openers->openReader(doc("c.pdf"), {});
    EXPECT_NE(&windows.windows().back()->window(), &welcome->window());
}

TEST_F(WindowOpening, ReaderHandsTablesAndSpreadsheetsOn)
{
    toolkit.fakeWorkspace.defaultApplication = ui::DesktopApplication { "org.gnome.Gnumeric.desktop", "Gnumeric" };
    openers->openReader(doc("book.xlsx"), {});
    EXPECT_EQ(toolkit.fakeWorkspace.openedFiles, std::vector<std::string> { doc("book.xlsx") });
    openers->openReader(doc("data.csv"), {});
    ASSERT_EQ(windows.windows().size(), 1u); // the hand-off's welcome note, taken over by the grid
    const auto grid = windows.windows().back();
    EXPECT_TRUE(grid->isGrid);
    EXPECT_FALSE(grid->isReader);
    // No engine is installed here, so the table cannot be read.
    ASSERT_TRUE(queue.runUntil([&] { return !grid->gridJSON.empty(); }));
    EXPECT_EQ(grid->gridJSON, R"({"error":"This file could not be read."})");
    EXPECT_EQ(lastLoad(*grid), "file://" + home.file("Resources/engine/vendor/pdfjs/gridview.html"));
}

TEST_F(WindowOpening, TheGridPageReceivesOnlyJsonWrittenByUs)
{
    struct Case {
        std::string answer; // what the engine's grid job writes
        std::string data;   // what the grid page is given
    };
    const std::string unreadable = R"({"error":"This file could not be read."})";
    const Case cases[] = {
        { "alert(1)", unreadable },
        { R"({"rows": [["a"]]}; alert(1))", unreadable },
        { "{\"name\": \"caf\xE9.csv\"}", unreadable }, // not UTF-8
        { "", unreadable },
        { R"( {"rows": [["</script>", "\u2028"]], "name": "t.csv"} )", R"({"name":"t.csv","rows":[["<\/script>","\u2028"]]})" },
    };
    const auto table = testing::writeTestFile(doc("t.csv"), "a\n");
    for (const auto& test : cases) {
        testing::writeTestFile(home.file("answer"), test.answer);
        testing::writeEngineScript(home.path(), "rurede_gen.py",
            "import shutil, sys\nshutil.copyfile(" + toPlainJson(Json(home.file("answer"))) + ", sys.argv[3])\n");
        openers->openGrid(table);
        const auto grid = windows.windows().back();
        ASSERT_TRUE(queue.runUntil([&] { return !grid->gridJSON.empty(); }, 20));
        viewOf(*grid).evaluated.clear();
        grid->pushGrid();
        EXPECT_THAT(viewOf(*grid).evaluated, ElementsAre("if(window.ikwGrid){try{ikwGrid(" + test.data + "," + jsQuote(table) + ")}catch(e){}}"))
            << test.answer;
    }
}

TEST_F(WindowOpening, ADocumentTheEngineCannotConvertBecomesAReview)
{
    testing::installStandInEngine(home.path());
    const auto document = testing::writeTestFile(doc("brief.docx"), "not really Word");
    openers->openReader(document, {});
    const auto window = windows.windows().back();
    EXPECT_TRUE(window->isReader);
    // The stand-in converts only text, but it probes Word documents as editable.
    ASSERT_TRUE(queue.runUntil([&] { return !engineRuns.empty() && window->editProbe.editProbeEditable.has_value(); }));
    EXPECT_FALSE(window->isReader);
    EXPECT_EQ(window->sourcePaths, std::vector<std::string> { document });
    EXPECT_EQ(engineRuns.back().back(), document);
    EXPECT_EQ(window->editProbe.editProbeEditable, true);
}

TEST_F(WindowOpening, TheAutomaticEditOpensTheEditorAfterTheProbeAndSavesWhenAsked)
{
    testing::installStandInEngine(home.path());
    std::vector<std::string> steps;
    services.features.enterEditorMode = [&](ReviewWC&) { steps.push_back("edit"); };
    services.features.saveEditorDocNow = [&](ReviewWC&) { steps.push_back("save"); };
    struct Case {
        const char* mode;
        std::vector<std::string> why;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        { "3", {}, { "edit", "save" } },
        { "2", { "tables" }, { "edit" } },
        { "1", {}, { "edit" } },
        { "1", { "tables" }, {} }, // "1" edits only a document the editor keeps whole
        { "yes", {}, {} },
    };
    for (const auto& c : cases) {
        ::setenv("IKW_TEST_AUTOEDIT", c.mode, 1);
        ::setenv("IKW_STANDIN_EDIT_WHY", c.why.empty() ? "" : c.why.front().c_str(), 1);
        steps.clear();
        const auto document = testing::writeTestFile(doc("notes.txt"), "notes");
        openers->openReader(document, {});
        const auto window = windows.windows().back();
        // Both engine runs (the probe and the conversion) end before the case goes on.
        ASSERT_TRUE(queue.runUntil([&] {
            return window->editProbe.editProbeEditable.has_value() && lastLoad(*window).find("pdfjs/reader.html") != std::string::npos;
        }));
        EXPECT_EQ(window->editProbe.editProbeWhy, c.why);
        queue.advance(2.9);
        EXPECT_TRUE(steps.empty()) << c.mode;
        queue.advance(0.2);
        queue.advance(1.3);
        EXPECT_EQ(steps.size(), c.expected.empty() ? 0u : 1u) << c.mode << " saves 1.5 s after the editor opened";
        queue.advance(0.3);
        EXPECT_EQ(steps, c.expected) << c.mode;
        window->closeTab();
    }
    ::unsetenv("IKW_TEST_AUTOEDIT");
    ::unsetenv("IKW_STANDIN_EDIT_WHY");
}

TEST_F(WindowOpening, SpreadsheetNotesSayWhereTheFileWent)
{
    struct Case {
        std::optional<ui::DesktopApplication> application;
        std::string note;
        bool opened;
    };
    const Case cases[] = {
        { ui::DesktopApplication { "org.gnome.Gnumeric.desktop", "Gnumeric" },
            "Budget.xlsx opened in Gnumeric. Inkwarden reads documents; spreadsheets open in your spreadsheet app.", true },
        { std::nullopt, "No app on this computer opens Budget.xlsx. Install a spreadsheet app, or pick one below.", false },
        { ui::DesktopApplication { "com.norvale.inkwarden.desktop", "Inkwarden" },
            "Budget.xlsx opens in Inkwarden, but Inkwarden doesn't read spreadsheets. Pick another app for it below, or set one as the default in Files \u25B8 Get Info.",
            false },
    };
    auto review = windows.open(std::nullopt);
    review->hasContent = true;
    for (const auto& test : cases) {
        toolkit.fakeWorkspace.defaultApplication = test.application;
        toolkit.fakeWorkspace.openedFiles.clear();
        appsMenus.clear();
        openers->openInDefaultApp(doc("Budget.xlsx"));
        EXPECT_EQ(viewOf(*review).evaluated.back(), "if(window.ikwToast){ikwToast(" + jsQuote(test.note) + ")}");
        EXPECT_EQ(toolkit.fakeWorkspace.openedFiles.size(), test.opened ? 1u : 0u);
        EXPECT_EQ(appsMenus.size(), test.opened ? 0u : 1u);
    }
    EXPECT_EQ(windows.windows().size(), 1u);
}

TEST_F(WindowOpening, ReviewsCarryTheirSetAndMode)
{
    testing::writeTestFile(doc("folder/x.txt"), "x");
    openers->openReviewDirect({ doc("a.pdf"), doc("b.docx") }, std::nullopt);
    openers->openReviewDirect({ doc("a.pdf"), doc("folder") }, "compare");
    ASSERT_EQ(windows.windows().size(), 2u);
    EXPECT_EQ(windows.windows()[0]->setPaths.size(), 2u);
    EXPECT_TRUE(windows.windows()[1]->setPaths.empty());
    ASSERT_EQ(engineRuns.size(), 2u);
    const std::vector<std::string> expected { "--choose", "--loading-file", *windows.windows()[1]->loadingFile, "--mode", "compare", doc("a.pdf"), doc("folder") };
    EXPECT_EQ(engineRuns[1], expected);
}

TEST_F(WindowOpening, GeneratedPagesFollowTheTabRule)
{
    enum class Expect { Reused, NewTab, NewWindow };
    struct Case {
        const char* config;
        bool keyHasContent;
        Expect expect;
    };
    const Case cases[] = {
        { "{}", false, Expect::Reused },
        { R"({"open_in":"window"})", false, Expect::Reused },
        { "{}", true, Expect::NewTab },
        { R"({"open_in":"tab"})", true, Expect::NewTab },
        { R"({"open_in":"window"})", true, Expect::NewWindow },
    };
    for (const auto& test : cases) {
        writeConfig(test.config);
        const auto key = windows.open(std::nullopt);
        key->hasContent = test.keyHasContent;
        const auto before = windows.windows().size();
        const auto chosen = openers->windowForDocument();
        const auto message = std::string(test.config) + (test.keyHasContent ? " with content" : " empty");
        switch (test.expect) {
        case Expect::Reused:
            EXPECT_EQ(chosen, key) << message;
            EXPECT_EQ(windows.windows().size(), before) << message;
            break;
        case Expect::NewTab:
        case Expect::NewWindow:
            EXPECT_NE(chosen, key) << message;
            EXPECT_EQ(windows.windows().size(), before + 1) << message;
            EXPECT_EQ(&chosen->window() == &key->window(), test.expect == Expect::NewTab) << message;
            // A new window starts on a fresh loading page.
            ASSERT_TRUE(chosen->loadingFile) << message;
            EXPECT_EQ(lastLoad(*chosen), "file://" + *chosen->loadingFile) << message;
            break;
        }
        for (const auto& window : std::vector(windows.windows()))
            window->closeTab();
    }
}

TEST_F(WindowOpening, AnOpenedWebPageGoesToTheBrowser)
{
    OpenRouter router(*openers);
    router.openURLs({ doc("notes.html") });
    EXPECT_EQ(toolkit.fakeWorkspace.openedUrls, std::vector<std::string> { "file://" + doc("notes.html") });
    EXPECT_TRUE(windows.windows().empty());
}

TEST_F(WindowOpening, LookupsFollowTheKeyReview)
{
    testing::writeTestFile(doc("a/b/c.pdf"), "%PDF-1.4");
    EXPECT_EQ(keyReview(windows), nullptr);
    EXPECT_EQ(currentLibraryRoot(windows), std::nullopt);

    auto welcome = windows.open(std::nullopt);
    EXPECT_EQ(currentDocPath(windows), std::nullopt);
    EXPECT_EQ(currentLibraryRoot(windows), std::nullopt);

    openers->openReader(doc("a/b/c.pdf"), {});
    EXPECT_EQ(currentDocPath(windows), doc("a/b/c.pdf"));
    EXPECT_EQ(currentLibraryRoot(windows), doc("a/b"));
    EXPECT_EQ(frontBrowseWC(windows), nullptr);

    std::filesystem::remove(doc("a/b/c.pdf"));
    EXPECT_EQ(currentDocPath(windows), std::nullopt);
    EXPECT_EQ(currentLibraryRoot(windows), doc("a/b"));

    openers->openReviewDirect({ doc("a/b") }, std::nullopt);
    EXPECT_EQ(currentDocPath(windows), std::nullopt);
    EXPECT_EQ(currentLibraryRoot(windows), doc("a/b"));
    EXPECT_EQ(frontBrowseWC(windows), windows.windows().back());
}

TEST_F(WindowOpening, TheFocusedWindowIsTheKeyWindowNotTheNewestOne)
{
    auto older = windows.open(std::nullopt);
    older->hasContent = true;
    older->sourcePaths = { doc("older.pdf") };
    auto newer = windows.open(std::nullopt);
    newer->hasContent = true;
    newer->sourcePaths = { doc("newer.pdf") };
    EXPECT_EQ(keyReview(windows), newer); // nothing has the focus: the newest visible one

    windowOf(*older).focusedLast = true; // the focus went to another program from here
    EXPECT_EQ(keyReview(windows), older);
    windowOf(*newer).active = true;
    EXPECT_EQ(keyReview(windows), newer);
    windowOf(*newer).active = false;
    windowOf(*older).active = true;

    // Documents and new tabs go where the user works.
    writeConfig(R"({"open_in":"tab"})");
    openers->openReader(doc("c.pdf"), {});
    EXPECT_EQ(&windows.windows().back()->window(), &older->window());
    windowOf(*older).hide();
    EXPECT_EQ(keyReview(windows), newer); // a hidden window is nobody's key window
}

TEST(OpenInTabs, OnlyTheExactWordWindowMeansWindows)
{
    EXPECT_TRUE(openInTabs(Json::object()));
    EXPECT_TRUE(openInTabs(Json { { "open_in", 1 } }));
    EXPECT_TRUE(openInTabs(Json { { "open_in", "Window" } }));
    EXPECT_FALSE(openInTabs(Json { { "open_in", "window" } }));
}

}
}
