#include "finder/DocumentMenuCommands.h"
#include "finder/ReaderFileActions.h"

#include "app/Settings.h"
#include "platform/core/WorkQueue.h"
#include "platform/core/fake/FaultyFileSystem.h"
#include "platform/core/Json.h"
#include "review/ReviewTestFixture.h"
#include "review/UrlActions.h"

#include <glib.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace ikw::finder {
namespace {

using Names = std::vector<std::string>;

std::string escaped(const std::string& text)
{
    gchar* value = g_uri_escape_string(text.c_str(), nullptr, false);
    std::string result = value;
    g_free(value);
    return result;
}

std::string toast(const std::string& message)
{
    return "window.__ikwToast && __ikwToast(" + jsQuote(message) + ")";
}

// A reader of Docs/Report.pdf on the recording toolkit, with real workers and files, the actions
// and menu commands on the window's document, and seams for the moves and program starts.
class DocumentFileTest : public testing::ReviewFixture {
protected:
    DocumentFileTest()
    {
        fileServices.workers = &workers;
        fileServices.toolkit = &toolkit;
        fileServices.files = &files;
        fileServices.moveToUniqueName = [this](const std::string& from, std::string_view folder, std::string_view name) {
            return failMoves ? PlaceResult {} : moveToUniqueName(from, folder, name);
        };
        fileServices.moveWithoutReplacing = [this](const std::string& from, const std::string& to) {
            return failMoves ? PlaceResult {} : moveWithoutReplacing(from, to);
        };
        fileServices.readerURL = [](const std::string& pdf, const std::string& document) {
            return std::optional<std::string>("file:///reader.html?pdf=" + escaped(pdf) + "&orig=" + escaped(document));
        };
        fileServices.startProgram = [this](const std::vector<std::string>& argv) {
            started.push_back(argv);
            return true;
        };
        registerDocumentActions(actions, fileServices);
        registerMenuCommands(commands, { .files = fileServices,
                                           .keyReview = [this] { return window; },
                                           .currentDocPath = [this] { return window ? std::optional(window->sourcePaths.front()) : std::nullopt; },
                                           .rebuildMenu = [this] { ++menuRebuilds; } });
        report = file("Report.pdf", "report");
        window = windows.open(std::nullopt);
        window->isReader = true;
        window->sourcePaths = { report };
        window->representFile(report);
        window->web->loadUrl(*fileServices.readerURL(report, report));
    }

    std::string file(const std::string& name, const std::string& contents = "x") { return testing::writeTestFile(home.file("Docs/" + name), contents); }
    Names docs() { return testing::folderEntries(home.file("Docs")); }

    void send(const std::string& host, const std::string& query)
    {
        actions.dispatch(host, UrlAction { *window, "qeliz://" + host + "?" + query });
        settle();
    }
    void settle()
    {
        workers.waitUntilIdle();
        queue.drain();
    }
    bool run(const std::string& command)
    {
        ui::MenuItem item;
        item.command = command;
        const bool ran = commands.perform({ item, window ? &window->window() : nullptr });
        settle();
        return ran;
    }
    std::vector<std::string>& evaluated() { return viewOf(*window).evaluated; }

    WorkQueue workers { "document-files", 2 };
    FaultyFileSystem files;
    DocumentFileServices fileServices;
    UrlActions actions;
    MenuCommands commands;
    bool failMoves = false;
    std::vector<std::vector<std::string>> started;
    int menuRebuilds = 0;
    std::string report;
    std::shared_ptr<ReviewWC> window;
};

TEST_F(DocumentFileTest, AReaderRenameMovesTheFileAndTheWindowFollowsIt)
{
    file("Final.pdf", "older");
    send("readerrename", "path=" + escaped(report) + "&name=" + escaped(" x/Final\n"));

    const std::string renamed = home.file("Docs/Final 2.pdf");
    EXPECT_EQ(docs(), (Names { "Final 2.pdf", "Final.pdf" }));
    EXPECT_EQ(testing::readTestFile(renamed), "report");
    EXPECT_EQ(testing::readTestFile(home.file("Docs/Final.pdf")), "older");
    EXPECT_EQ(window->sourcePaths, Names { renamed });
    EXPECT_EQ(window->representedFile(), renamed);
    EXPECT_EQ(window->window().title(), "Final 2.pdf");
    EXPECT_EQ(window->window().tabTitle(*window->web), "Final 2.pdf");
    EXPECT_EQ(viewOf(*window).loads.back(), *fileServices.readerURL(renamed, renamed));
}

TEST_F(DocumentFileTest, AReaderOfAConvertedDocumentKeepsShowingItsPdf)
{
    const std::string letter = file("Letter.docx");
    const std::string converted = home.file("cache/Letter.pdf");
    window->sourcePaths = { letter };
    window->web->loadUrl(*fileServices.readerURL(converted, letter));
    send("readerrename", "path=" + escaped(letter) + "&name=Answer");
    EXPECT_EQ(viewOf(*window).loads.back(), *fileServices.readerURL(converted, home.file("Docs/Answer.docx")));
}

TEST_F(DocumentFileTest, AReaderRenameThatChangesNothingOrFailsLeavesTheFile)
{
    const std::size_t loads = viewOf(*window).loads.size();
    const std::string path = "path=" + escaped(report);
    for (const std::string& query : { path + "&name=Report.pdf", path + "&name=%20%20%0A", path + "&name=Report", path, std::string("name=Final"),
             "path=" + escaped(home.file("Docs/gone.pdf")) + "&name=Final" })
        send("readerrename", query);
    EXPECT_EQ(docs(), Names { "Report.pdf" });
    EXPECT_TRUE(evaluated().empty());
    EXPECT_EQ(viewOf(*window).loads.size(), loads);

    failMoves = true;
    send("readerrename", "path=" + escaped(report) + "&name=Final");
    EXPECT_EQ(evaluated(), Names { "if(window.__ikwRenameFail){__ikwRenameFail()}" });
    EXPECT_EQ(window->sourcePaths, Names { report });
    EXPECT_EQ(docs(), Names { "Report.pdf" });
}

TEST_F(DocumentFileTest, AWindowClosedDuringTheRenameHearsNothing)
{
    actions.dispatch("readerrename", UrlAction { *window, "qeliz://readerrename?path=" + escaped(report) + "&name=Final" });
    workers.waitUntilIdle();
    window->window().close();
    queue.drain();
    EXPECT_EQ(docs(), Names { "Final.pdf" });
    EXPECT_EQ(window->sourcePaths, Names { report });
    EXPECT_EQ(std::count_if(evaluated().begin(), evaluated().end(), [](const std::string& script) { return script.find("__ikwRenameFail") != std::string::npos; }), 0);
}

TEST_F(DocumentFileTest, ReaderDuplicatesTakeTheNextCopyNameAndShowIt)
{
    send("duplicatefile", "path=" + escaped(report));
    send("duplicatefile", "path=" + escaped(report));
    const std::string readme = file("README");
    send("duplicatefile", "path=" + escaped(readme));
    send("duplicatefile", "path=%2Fgone.pdf");
    EXPECT_EQ(docs(), (Names { "README", "README copy", "Report copy 2.pdf", "Report copy.pdf", "Report.pdf" }));
    EXPECT_EQ(testing::readTestFile(home.file("Docs/Report copy 2.pdf")), "report");
    EXPECT_EQ(toolkit.fakeWorkspace.revealed,
        (Names { home.file("Docs/Report copy.pdf"), home.file("Docs/Report copy 2.pdf"), home.file("Docs/README copy") }));
}

TEST_F(DocumentFileTest, TheTrashAsksThenTrashesAndClosesOrKeepsTheWindowWhenCancelledOrFailing)
{
    toolkit.fakeDialogs.alertAnswers = { { .button = 1 }, { .button = 0 }, { .button = 0 } };
    files.fail(FaultyFileSystem::Operation::Trash);
    const auto ask = [&] { send("trashfile", "path=" + escaped(report)); };

    ask(); // Cancel
    ASSERT_EQ(toolkit.fakeDialogs.alerts.size(), 1u);
    const auto& alert = toolkit.fakeDialogs.alerts[0];
    EXPECT_EQ(alert.parent, &window->window());
    EXPECT_EQ(alert.request.message, "Move \u201CReport.pdf\u201D to the Trash?");
    EXPECT_EQ(alert.request.informativeText, "It goes to the system Trash and can be restored from there.");
    EXPECT_EQ(alert.request.buttons, (Names { "Move to Trash", "Cancel" }));
    EXPECT_EQ(alert.request.style, ui::AlertContent::Style::Warning);
    EXPECT_TRUE(evaluated().empty());

    ask(); // the trash fails
    EXPECT_EQ(evaluated(), Names { toast("Couldn\u2019t move to Trash") });
    EXPECT_FALSE(window->isClosed());
    EXPECT_EQ(docs(), Names { "Report.pdf" });

    files.clearFailures();
    evaluated().clear();
    ask(); // Move to Trash: the toast, and the tab closes (saving its view first)
    ASSERT_FALSE(evaluated().empty());
    EXPECT_EQ(evaluated().back(), toast("Moved to Trash"));
    EXPECT_EQ(docs(), Names {});
    EXPECT_TRUE(window->isClosed());
}

TEST_F(DocumentFileTest, PropertiesAndSharingGoToTheDesktop)
{
    const std::string odd = file("a \"quoted\" \\ name.pdf");
    send("getinfo", "path=" + escaped(odd));
    send("getinfo", "path=relative.pdf");
    EXPECT_EQ(toolkit.fakeWorkspace.propertiesShown, Names { odd });

    send("share", "path=%2Fgone.pdf");
    EXPECT_EQ(toolkit.beeps, 1);
    EXPECT_TRUE(windowOf(*window).popUps.empty());

    send("share", "path=" + escaped(odd));
    ASSERT_EQ(windowOf(*window).popUps.size(), 1u);
    const auto& popUp = windowOf(*window).popUps[0];
    const ui::WindowSize size = window->window().contentSize();
    EXPECT_EQ(popUp.x, size.width - 150);
    EXPECT_EQ(popUp.y, size.height - 50);
    ASSERT_EQ(popUp.menu->items.size(), 1u);
    popUp.responder.perform(popUp.menu->items[0]);
    EXPECT_EQ(started, (std::vector<Names> { { "xdg-email", "--attach", odd } }));
}

TEST_F(DocumentFileTest, TheRenameDialogTakesTheNameAsTypedAndNeverReplaces)
{
    auto& dialogs = toolkit.fakeDialogs;
    const std::string taken = file("Taken.pdf", "taken");
    dialogs.alertAnswers = { { .button = 0, .fieldTexts = { "a/b" } }, { .button = 0, .fieldTexts = { "Taken.pdf" } },
        { .button = 1, .fieldTexts = { "Other" } }, { .button = 0, .fieldTexts = { " Final\t" } } };
    for (int attempt = 0; attempt < 4; ++attempt)
        EXPECT_TRUE(run("renameCurrentDoc:"));

    ASSERT_EQ(dialogs.alerts.size(), 4u);
    const auto& alert = dialogs.alerts[0].request;
    EXPECT_EQ(alert.message, "Rename \u201CReport.pdf\u201D");
    EXPECT_EQ(alert.informativeText, "The file stays in its folder; this window follows the new name.");
    EXPECT_EQ(alert.buttons, (Names { "Rename", "Cancel" }));
    ASSERT_EQ(alert.textFields.size(), 1u);
    EXPECT_EQ(alert.textFields[0].text, "Report.pdf");
    EXPECT_EQ(alert.textFields[0].width, 320);
    EXPECT_EQ(toolkit.beeps, 1); // "Taken.pdf"

    const std::string renamed = home.file("Docs/Final");
    EXPECT_EQ(docs(), (Names { "Final", "Taken.pdf" }));
    EXPECT_EQ(testing::readTestFile(taken), "taken");
    EXPECT_EQ(window->sourcePaths, Names { renamed });
    EXPECT_EQ(window->representedFile(), renamed);
    EXPECT_EQ(window->window().title(), "Final");
    EXPECT_EQ(viewOf(*window).loads.back(), *fileServices.readerURL(renamed, renamed));

    failMoves = true;
    dialogs.alertAnswers = { { .button = 0, .fieldTexts = { "Again" } } };
    run("renameCurrentDoc:");
    EXPECT_EQ(toolkit.beeps, 2);
    EXPECT_EQ(window->sourcePaths, Names { renamed });
}

TEST_F(DocumentFileTest, MenuDuplicatesStopAtTheirLastNameInsteadOfReplacingIt)
{
    EXPECT_TRUE(run("duplicateCurrentDoc:"));
    EXPECT_EQ(toolkit.fakeWorkspace.revealed, Names { home.file("Docs/Report copy.pdf") });
    for (int number = 2; number <= 200; ++number)
        file("Report copy " + std::to_string(number) + ".pdf", "kept");
    run("duplicateCurrentDoc:");
    EXPECT_EQ(toolkit.beeps, 1);
    EXPECT_EQ(testing::readTestFile(home.file("Docs/Report copy 200.pdf")), "kept");
    EXPECT_EQ(docs().size(), 201u);
}

TEST_F(DocumentFileTest, TheMenuRevealsAndCopiesThePathAndSwitchesArchiveFolders)
{
    run("revealCurrentDoc:");
    EXPECT_EQ(toolkit.fakeWorkspace.revealed, Names { report });
    run("copyCurrentDocPath:");
    EXPECT_EQ(toolkit.fakeClipboard.contents, report);
    EXPECT_TRUE(toolkit.fakeClipboard.files.empty());
    run("revealArchive:");
    EXPECT_EQ(toolkit.fakeWorkspace.openedFiles, Names { globals.get().archive });
    EXPECT_TRUE(std::filesystem::is_directory(globals.get().archive));

    const struct {
        const char* stored;
        bool next;
    } cases[] { { "true", false }, { "false", true }, { "\"yes\"", false }, { "1", false } };
    for (const auto& [stored, next] : cases) {
        writeConfig(std::string("{\"ignore_archive_folders\":") + stored + ",\"viewer\":\"app\"}");
        run("toggleArchive:");
        EXPECT_EQ(loadConfig()["ignore_archive_folders"], next) << stored;
        EXPECT_EQ(loadConfig()["viewer"], "app");
        ui::MenuItem item;
        item.command = "toggleArchive:";
        EXPECT_EQ(commands.validate({ item, nullptr }).checked, next) << stored;
    }
    EXPECT_EQ(menuRebuilds, 4);
}

TEST_F(DocumentFileTest, MenuCommandsWithoutADocumentDoNothing)
{
    window->window().close();
    window = nullptr;
    for (const char* command : { "revealCurrentDoc:", "copyCurrentDocPath:", "renameCurrentDoc:", "duplicateCurrentDoc:" })
        run(command);
    EXPECT_TRUE(toolkit.fakeWorkspace.revealed.empty());
    EXPECT_FALSE(toolkit.fakeClipboard.contents);
    EXPECT_TRUE(toolkit.fakeDialogs.alerts.empty());
    EXPECT_EQ(docs(), Names { "Report.pdf" });
}

}
}
