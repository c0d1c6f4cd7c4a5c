#include "library/MenuForwarders.h"

#include "app/Settings.h"
#include "library/LibraryLayer.h"
#include "review/ReviewTestFixture.h"

#include <gtest/gtest.h>

namespace ikw::library {
namespace {

class MenuForwardersTest : public testing::ReviewFixture {
protected:
    MenuForwardersTest()
    {
        registerForwarderCommands(commands, [this] { return layer; },
            {
                .dialogs = &toolkit.fakeDialogs,
                .openOrganize = [this] { ++organizerOpened; },
                .applyConfig = [this](const std::string& key, const std::string& value) { applied.emplace_back(key, value); },
            });
    }

    // A visible window with the focus: a reader, or a folder page.
    std::shared_ptr<ReviewWC> keyWindow(bool reader)
    {
        auto window = windows.open(std::nullopt);
        window->isReader = reader;
        window->hasContent = true;
        window->sourcePaths = { home.file(reader ? "Docs/a.pdf" : "Docs") };
        windowOf(*window).visible = true;
        windowOf(*window).active = true;
        viewOf(*window).evaluated.clear();
        return window;
    }
    bool run(const std::string& command, Json object = nullptr, ui::Window* window = nullptr)
    {
        ui::MenuItem item;
        item.command = command;
        item.representedObject = std::move(object);
        return commands.perform({ item, window });
    }

    MenuCommands commands;
    std::shared_ptr<LibraryLayer> layer = std::make_shared<LibraryLayer>(services, windows,
        LibraryHooks { .temporaryRoots = [] { return std::vector<std::string> {}; } });
    int organizerOpened = 0;
    std::vector<std::pair<std::string, std::string>> applied;
};

TEST_F(MenuForwardersTest, EachForwarderEvaluatesItsTextInTheWindowItNames)
{
    struct Row {
        const char* command;
        Json object;
        std::string inReader; // "" when a reader is left alone
        std::string inFolder; // "" when a folder page is left alone
    };
    const std::vector<Row> rows {
        { "zoomIn:", nullptr, "if(window.pdfViewer){pdfViewer.increaseScale();}", sizeStepScript(20) },
        { "zoomOut:", nullptr, "if(window.pdfViewer){pdfViewer.decreaseScale();}", sizeStepScript(-20) },
        { "zoomReset:", nullptr, "if(window.pdfViewer){pdfViewer.currentScaleValue='page-width';}",
            "(function(){if(window.setTW)setTW('180');var s=document.getElementById('tw');if(s)s.value=180;if(window.masonry)masonry(true);})()" },
        { "sortBy:", "date", "if(window.setSort)setSort('date')", "if(window.setSort)setSort('date')" },
        { "sortBy:", nullptr, "if(window.setSort)setSort('name')", "if(window.setSort)setSort('name')" },
        // Not one of the menu's words: never spliced into the script.
        { "sortBy:", "x');alert(1);('", "if(window.setSort)setSort('name')", "if(window.setSort)setSort('name')" },
        { "slideshow:", nullptr, "if(window.toggleSlideshow)toggleSlideshow()", "if(window.toggleSlideshow)toggleSlideshow()" },
        { "rotateImage:", nullptr, "if(window.rotate)rotate(90)", "if(window.rotate)rotate(90)" },
        { "editFocused:", nullptr, "if(window.editFocused)editFocused()", "if(window.editFocused)editFocused()" },
        { "goBackJS:", nullptr, "if(window.ikwNav){ikwNav.back()}", "" },
        { "prevPageMenu:", nullptr, "if(window.pdfViewer&&pdfViewer.currentPageNumber>1)pdfViewer.currentPageNumber--", "" },
        { "nextPageMenu:", nullptr, "if(window.pdfViewer&&pdfViewer.currentPageNumber<pdfViewer.pagesCount)pdfViewer.currentPageNumber++", "" },
        { "firstPageMenu:", nullptr, "if(window.pdfViewer)pdfViewer.currentPageNumber=1", "" },
        { "lastPageMenu:", nullptr, "if(window.pdfViewer)pdfViewer.currentPageNumber=pdfViewer.pagesCount", "" },
        { "gotoPageMenu:", nullptr, "(function(){var p=document.getElementById('pagebox');if(p){p.focus();p.select();}})()", "" },
        { "tocToggleMenu:", nullptr, "(function(){var b=document.getElementById('toctgl');if(b)b.click();})()", "" },
        { "thumbsToggleMenu:", nullptr, "(function(){var b=document.getElementById('thumbtgl');if(b)b.click();})()", "" },
        // The Tools reach a folder page only; with a reader alone the user is asked to open a folder.
        { "toolMenuAction:", "compress", "", "if(window.ikwTool){try{ikwTool(\"compress\")}catch(e){}}" },
    };
    for (const bool reader : { true, false }) {
        const auto window = keyWindow(reader);
        for (const auto& row : rows) {
            auto& evaluated = viewOf(*window).evaluated;
            evaluated.clear();
            EXPECT_TRUE(run(row.command, row.object)) << row.command;
            const std::string& expected = reader ? row.inReader : row.inFolder;
            const auto wanted = expected.empty() ? std::vector<std::string> {} : std::vector<std::string> { expected };
            EXPECT_EQ(evaluated, wanted) << row.command << (reader ? " in a reader" : " on a folder page");
        }
        window->window().close();
    }
    // With no window at all every forwarder does nothing (and the Tools ask for a folder).
    for (const auto& row : rows)
        EXPECT_TRUE(run(row.command, row.object)) << row.command;
}

TEST_F(MenuForwardersTest, UndoGoesToThePageFirstAndToTheFocusedWidgetUnlessThePageTookIt)
{
    const auto reader = keyWindow(true);
    auto& view = viewOf(*reader);
    struct Answer {
        ui::ScriptResult result;
        bool pageTookIt;
    };
    const std::vector<Answer> answers {
        { { Json(true), std::nullopt }, true },
        { { Json(false), std::nullopt }, false },
        { { Json("true"), std::nullopt }, false }, // not a Bool
        { { std::nullopt, "ReferenceError" }, false },
    };
    for (const auto& answer : answers) {
        view.evaluated.clear();
        view.editingCommands.clear();
        view.nextResult = answer.result;
        run("undoMenu:");
        EXPECT_EQ(view.evaluated, std::vector<std::string> { "!!(window.__ikwUndo && __ikwUndo())" });
        EXPECT_EQ(view.editingCommands.size(), answer.pageTookIt ? 0u : 1u) << toJson(answer.result.value.value_or(nullptr));
    }
    view.editingCommands.clear();
    view.nextResult = { Json(false), std::nullopt };
    run("redoMenu:");
    EXPECT_EQ(view.evaluated.back(), "!!(window.__ikwRedo && __ikwRedo())");
    EXPECT_EQ(view.editingCommands, std::vector<ui::EditingCommand> { ui::EditingCommand::Redo });

    // The page answers later: the fallback waits for it, and an editor over the tab takes the step.
    view.holdAnswers = true;
    view.editingCommands.clear();
    run("undoMenu:");
    const auto editor = std::static_pointer_cast<ui::fake::FakePageEditor>(toolkit.makePageEditor({}));
    editor->type("typed");
    reader->editor.editorHost = editor;
    ASSERT_EQ(view.heldAnswers.size(), 1u);
    EXPECT_EQ(editor->plainText(), "typed") << "nothing is undone before the page answers";
    view.heldAnswers.front()({ Json(false), std::nullopt });
    EXPECT_TRUE(view.editingCommands.empty());
    EXPECT_EQ(editor->plainText(), "");
}

TEST_F(MenuForwardersTest, UndoOutsideAReaderGoesStraightToThePage)
{
    const auto folder = keyWindow(false);
    run("undoMenu:");
    EXPECT_TRUE(viewOf(*folder).evaluated.empty());
    EXPECT_EQ(viewOf(*folder).editingCommands, std::vector<ui::EditingCommand> { ui::EditingCommand::Undo });
}

TEST_F(MenuForwardersTest, ToolsWithoutAFolderPageAskForOneOrOpenTheOrganizer)
{
    keyWindow(true);
    auto& dialogs = toolkit.fakeDialogs;
    dialogs.alertAnswers.push_back({ .button = 0 });
    run("toolMenuAction:", "compress");
    ASSERT_EQ(dialogs.alerts.size(), 1u);
    const auto& alert = dialogs.alerts.front().request;
    EXPECT_EQ(alert.message, "Open a folder to use this tool");
    EXPECT_EQ(alert.informativeText, "Open a folder of documents (File \u2192 Open Folder\u2026), select the ones you want, then choose this tool again.");
    EXPECT_EQ(alert.buttons, (std::vector<std::string> { "Open Folder\u2026", "Cancel" }));
    ASSERT_EQ(dialogs.panels.size(), 1u) << "\"Open Folder\u2026\" shows the folder panel";
    EXPECT_TRUE(dialogs.panels.front().chooseDirectories);

    dialogs.alertAnswers.push_back({ .button = 1 });
    run("toolMenuAction:", "split");
    EXPECT_EQ(dialogs.panels.size(), 1u) << "Cancel opens nothing";

    run("toolMenuAction:", "organize");
    run("toolMenuAction:", "rename");
    EXPECT_EQ(organizerOpened, 2);
    EXPECT_EQ(dialogs.alerts.size(), 2u);
}

TEST_F(MenuForwardersTest, TheStatusBarToggleStoresTheOppositeOfWhatIsShown)
{
    const std::vector<std::pair<std::string, std::string>> cases {
        { R"({"reader_statusbar": true})", "0" },
        { R"({})", "0" },
        { R"({"reader_statusbar": "false"})", "0" }, // not a Bool: shown
        { R"({"reader_statusbar": false})", "1" },
    };
    for (const auto& [config, stored] : cases) {
        writeConfig(config);
        applied.clear();
        run("toggleStatusBarMenu:");
        EXPECT_EQ(applied, (std::vector<std::pair<std::string, std::string>> { { "reader_statusbar", stored } })) << config;
    }
}

TEST_F(MenuForwardersTest, FullScreenTogglesTheKeyWindowAndNeedsOne)
{
    EXPECT_TRUE(run("enterFull:")); // no window: nothing happens
    const auto window = keyWindow(false);
    auto& frame = windowOf(*window);
    run("enterFull:");
    EXPECT_TRUE(frame.fullScreen);
    ui::MenuItem item;
    item.command = "enterFull:";
    EXPECT_EQ(commands.validate({ item, &frame }).title, "Exit Full Screen");
    run("enterFull:", nullptr, &frame);
    EXPECT_FALSE(frame.fullScreen);
}

}
}
