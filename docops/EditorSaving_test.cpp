#include "docops/EditorSaving.h"

#include "app/MenuCommands.h"
#include "app/Settings.h"
#include "docops/WordHandOff.h"
#include "docops/richtext/DocumentFiles.h"
#include "platform/core/Base64.h"
#include "platform/core/fake/FaultyFileSystem.h"
#include "platform/imaging/ImageDecoder.h"
#include "review/ReviewServices.h"
#include "review/ReviewTestFixture.h"
#include "review/ReviewWC.h"

#include <sys/stat.h>

namespace ikw::docops {
namespace {

using ikw::testing::readTestFile;
using ikw::testing::writeTestFile;

constexpr const char* kWordId = "org.example.Writer.desktop";

// A reader whose probe answered, with its editor open on `name` in the home, saving through a file
// system that fails on demand; the desktop's word processor is "Writer".
class EditorSavingTest : public ikw::testing::ReviewFixture {
protected:
    EditorSavingTest()
    {
        services.resolvedScheme = [] { return std::string("light"); };
        editorServices.toolkit = &toolkit;
        connectEditorSaving(editorServices, saving);
        toolkit.fakeWorkspace.defaultApplications[kWordDocumentType] = { kWordId, "Writer" };
        toolkit.fakeWorkspace.applicationsWithIcons.insert(kWordId);
    }

    std::shared_ptr<ReviewWC> editing(const std::string& name, const std::string& contents, std::vector<std::string> why = {})
    {
        const auto path = writeTestFile(home.file("Docs/" + name), contents);
        return editingFile(path, std::move(why));
    }

    std::shared_ptr<ReviewWC> editingFile(const std::string& path, std::vector<std::string> why = {})
    {
        auto window = windows.open(std::nullopt);
        window->isReader = true;
        window->sourcePaths = { path };
        window->stampLoadedFile(path);
        window->editProbe.editProbeEditable = true;
        window->editProbe.editProbeWhy = std::move(why);
        enterEditorMode(*window, editorServices);
        return window;
    }

    ui::fake::FakePageEditor& editorOf(const ReviewWC& window) { return static_cast<ui::fake::FakePageEditor&>(*window.editor.editorHost); }

    std::optional<bool> save(ReviewWC& window)
    {
        std::optional<bool> saved;
        saveEditorDocNow(window, saving, [&](bool written) { saved = written; });
        return saved;
    }

    std::vector<std::string> alertMessages() const
    {
        std::vector<std::string> messages;
        for (const auto& alert : toolkit.fakeDialogs.alerts)
            messages.push_back(alert.request.message);
        return messages;
    }

    bool toasted(const ReviewWC& window, const std::string& text)
    {
        for (const auto& script : viewOf(window).evaluated) {
            if (script.find(text) != std::string::npos)
                return true;
        }
        return false;
    }

    FaultyFileSystem files;
    std::vector<std::vector<std::string>> recents;
    EditorSaving saving { &toolkit, &files, std::make_shared<WordHandOff>(toolkit.fakeWorkspace, [this](const std::vector<std::string>& paths) { recents.push_back(paths); }) };
    EditorServices editorServices;
};

TEST_F(EditorSavingTest, ADocumentTheEditorKeepsWholeSavesWithoutAQuestion)
{
    const auto window = editing("notes.txt", "old");
    ::chmod(window->sourcePaths.front().c_str(), 0640);
    editorOf(*window).type("\u00E9\u20AC\U0001D11E ");
    ASSERT_TRUE(window->editor.editorDirty);

    EXPECT_EQ(save(*window), true);
    EXPECT_TRUE(toolkit.fakeDialogs.alerts.empty());
    EXPECT_EQ(readTestFile(window->sourcePaths.front()), "\u00E9\u20AC\U0001D11E old"); // UTF-8
    EXPECT_EQ(ikw::testing::fileMode(window->sourcePaths.front()), 0640u);
    EXPECT_FALSE(window->editor.editorDirty);
    EXPECT_EQ(editorOf(*window).status().rfind("Saved ", 0), 0u) << editorOf(*window).status();
    EXPECT_FALSE(window->diskChangedSinceLoad(window->sourcePaths.front())) << "the change poll takes the save as the baseline";
}

TEST_F(EditorSavingTest, AFileChangedOnDiskIsOverwrittenOnlyWhenTheUserSaysSo)
{
    const auto window = editing("notes.txt", "old");
    editorOf(*window).type("mine ");
    writeTestFile(window->sourcePaths.front(), "someone else's newer text");

    EXPECT_EQ(save(*window), false); // the question's first button is Cancel
    EXPECT_TRUE(toasted(*window, "Save cancelled \u2014 this file is newer on disk"));
    EXPECT_EQ(readTestFile(window->sourcePaths.front()), "someone else's newer text");
    EXPECT_TRUE(window->editor.editorDirty);

    toolkit.fakeDialogs.alertAnswers.push_back({ 1, false });
    EXPECT_EQ(save(*window), true);
    EXPECT_EQ(readTestFile(window->sourcePaths.front()), "mine old");
}

TEST_F(EditorSavingTest, TheFidelityQuestionSavesACopyOverwritesOrCancels)
{
    struct Case {
        const char* name;
        ui::AlertAnswer answer;
        bool written;
        bool original;       // the original was overwritten
        bool stillAsks;      // edit_fidelity_warn afterwards
    };
    const Case cases[] = {
        { "cancel, box ticked", { 2, true }, false, false, true },
        { "escape", { -1, false }, false, false, true },
        { "copy, box ticked", { 0, true }, true, false, false },
        { "overwrite", { 1, false }, true, true, true },
    };
    for (const auto& c : cases) {
        writeConfig("{}");
        toolkit.fakeDialogs.alerts.clear();
        const auto window = editing("report.txt", "old", { "format", "tables", "comments" });
        const std::string original = window->sourcePaths.front();
        editorOf(*window).type("new ");
        toolkit.fakeDialogs.alertAnswers.push_back(c.answer);
        toolkit.fakeDialogs.saveAnswers.push_back(home.file("Docs/report (edited).txt"));

        EXPECT_EQ(save(*window), c.written) << c.name;
        ASSERT_EQ(toolkit.fakeDialogs.alerts.size(), 1u) << c.name;
        const auto& asked = toolkit.fakeDialogs.alerts.front().request;
        EXPECT_EQ(asked.message, "Saving removes this document's tables and comments");
        EXPECT_EQ(asked.buttons, (std::vector<std::string> { "Save a Copy\u2026", "Overwrite report.txt", "Cancel" }));
        EXPECT_EQ(asked.cancelButton, 2);
        EXPECT_EQ(asked.suppressionText, "Don't ask again: overwrite whenever I save");
        EXPECT_EQ(readTestFile(original), c.original ? "new old" : "old") << c.name;
        EXPECT_EQ(window->editor.editorDirty, !c.written) << c.name;
        EXPECT_EQ(editFidelityWarnEnabled(), c.stillAsks) << c.name;
        toolkit.fakeDialogs.saveAnswers.clear();
        window->closeTab();
    }
}

TEST_F(EditorSavingTest, AFailedWriteKeepsTheFileAndTheEdits)
{
    const auto window = editing("notes.txt", "old");
    editorOf(*window).type("new ");
    files.fail(FaultyFileSystem::Operation::Replace);

    EXPECT_EQ(save(*window), false);
    ASSERT_EQ(alertMessages(), std::vector<std::string> { "Could not save" });
    EXPECT_FALSE(toolkit.fakeDialogs.alerts.front().request.informativeText.empty());
    EXPECT_EQ(readTestFile(window->sourcePaths.front()), "old");
    EXPECT_TRUE(window->editor.editorDirty);
    EXPECT_NE(editorOf(*window).status().rfind("Saved ", 0), 0u);
}

TEST_F(EditorSavingTest, ASavedCopyBecomesTheDocumentTheEditorSaves)
{
    const auto text = richtext::readDocumentFile(writeTestFile(home.file("seed.txt"), "Brief text"));
    ASSERT_TRUE(text);
    const auto docx = richtext::encodeDocument(text.value(), richtext::EditorDocType::Docx);
    ASSERT_TRUE(docx);
    const auto window = editing("Brief.docx", docx.value(), { "tables" });
    const std::string brief = window->sourcePaths.front();
    ASSERT_TRUE(editorOf(*window).chrome.notice);
    editorOf(*window).type("Edited ");
    const std::string copy = home.file("Docs/Brief (edited).docx");
    toolkit.fakeDialogs.saveAnswers.push_back(copy);

    std::optional<bool> saved;
    saveEditorCopy(*window, saving, [&](bool written) { saved = written; });
    EXPECT_EQ(saved, true);
    ASSERT_EQ(toolkit.fakeDialogs.panels.size(), 1u);
    const auto& panel = toolkit.fakeDialogs.panels.front();
    EXPECT_EQ(panel.suggestedName, "Brief (edited).docx");
    EXPECT_EQ(panel.directory, home.file("Docs"));
    EXPECT_EQ(panel.extensions, std::vector<std::string> { "docx" });
    EXPECT_EQ(readTestFile(brief), docx.value());
    EXPECT_EQ(window->sourcePaths, std::vector<std::string> { copy });
    EXPECT_FALSE(editorOf(*window).chrome.notice);
    EXPECT_EQ(windowOf(*window).title(), "Brief (edited).docx \u00B7 Editing");

    editorOf(*window).type("Again ");
    EXPECT_TRUE(windowOf(*window).pressMonitoredKey({ "s", true, false, false, false }));
    EXPECT_TRUE(toolkit.fakeDialogs.alerts.empty()) << "the copy has no reasons to ask about";
    EXPECT_EQ(readTestFile(brief), docx.value());
    const auto reread = richtext::readDocumentFile(copy);
    ASSERT_TRUE(reread);
    EXPECT_EQ(reread.value().paragraphs.front().text(), "Edited Again Brief text");
}

TEST_F(EditorSavingTest, TheUnsavedEditsQuestionDecidesLeavingAndClosing)
{
    const auto window = editing("notes.txt", "old");
    int closes = 0;
    const auto askAgain = [&] { ++closes; };
    EXPECT_TRUE(mayCloseEditor(*window, saving, askAgain)) << "a clean editor closes without a question";
    editorOf(*window).type("new ");

    toolkit.fakeDialogs.alertAnswers.push_back({ 2, false }); // Keep Editing
    EXPECT_FALSE(mayCloseEditor(*window, saving, askAgain));
    EXPECT_EQ(toolkit.fakeDialogs.alerts.back().request.message, "Save changes to notes.txt?");
    EXPECT_EQ(toolkit.fakeDialogs.alerts.back().request.buttons, (std::vector<std::string> { "Save", "Discard Changes", "Keep Editing" }));
    EXPECT_EQ(closes, 0);

    files.fail(FaultyFileSystem::Operation::Replace);
    toolkit.fakeDialogs.alertAnswers.push_back({ 0, false }); // Save, which fails
    EXPECT_FALSE(mayCloseEditor(*window, saving, askAgain));
    EXPECT_EQ(closes, 0);
    EXPECT_TRUE(window->editor.editorDirty);

    toolkit.fakeDialogs.alertAnswers.push_back({ 0, false }); // leaving: Save fails, "Edit" stays
    editorOf(*window).selectSegment(0, 0);
    exitEditorToRead(*window, editorServices);
    EXPECT_TRUE(window->editor.editorHost);
    EXPECT_EQ(std::get<ui::EditorSegments>(editorOf(*window).chrome.controls[0]).selected, 1);

    files.clearFailures();
    toolkit.fakeDialogs.alertAnswers.push_back({ 0, false }); // Save, which works
    EXPECT_FALSE(mayCloseEditor(*window, saving, askAgain));
    EXPECT_EQ(closes, 1);
    EXPECT_EQ(readTestFile(window->sourcePaths.front()), "new old");

    editorOf(*window).type("more ");
    toolkit.fakeDialogs.alertAnswers.push_back({ 1, false }); // Discard
    EXPECT_FALSE(mayCloseEditor(*window, saving, askAgain));
    EXPECT_EQ(closes, 2);
    EXPECT_TRUE(mayCloseEditor(*window, saving, askAgain));
    EXPECT_EQ(readTestFile(window->sourcePaths.front()), "new old");
}

TEST_F(EditorSavingTest, ThePageHearsTheEditStateOnlyOnceTheProbeAnswered)
{
    auto window = windows.open(std::nullopt);
    window->isReader = true;
    pushEditState(*window);
    EXPECT_TRUE(viewOf(*window).evaluated.empty());

    window->isPdfEdit = true;
    window->editProbe.editProbeEditable = true;
    pushEditState(*window);
    window->isPdfEdit = false;
    window->editProbe.editProbeWhy = { "tables", "a \"quoted\" part" };
    pushEditState(*window);
    EXPECT_EQ(viewOf(*window).evaluated, (std::vector<std::string> {
                                             "if(window.ikwEditState){try{ikwEditState(true,[],\"pdf\")}catch(e){}}",
                                             "if(window.ikwEditState){try{ikwEditState(true,[\"tables\",\"a \\\"quoted\\\" part\"],\"doc\")}catch(e){}}",
                                         }));
}

TEST_F(EditorSavingTest, TheWordButtonShowsForWordDocumentsWithTheApplicationsIcon)
{
    auto window = windows.open(std::nullopt);
    window->isReader = true;
    const auto pushFor = [&](const std::string& name) {
        window->sourcePaths = { home.file(name) };
        viewOf(*window).evaluated.clear();
        pushWordButton(*window, saving.word.get());
        return viewOf(*window).evaluated.front();
    };
    EXPECT_EQ(pushFor("a.pages"), "if(window.ikwWordButton){try{ikwWordButton(false,null)}catch(e){}}");
    EXPECT_EQ(pushFor("a.txt"), "if(window.ikwWordButton){try{ikwWordButton(false,null)}catch(e){}}");

    const std::string shown = pushFor("a.DOCX");
    const std::string prefix = "if(window.ikwWordButton){try{ikwWordButton(true,\"data:image\\/png;base64,"; // jsQuote escapes "/"
    ASSERT_EQ(shown.rfind(prefix, 0), 0u) << shown;
    const std::string base64 = shown.substr(prefix.size(), shown.find('"', prefix.size()) - prefix.size());
    const auto png = decodeBase64(base64);
    ASSERT_TRUE(png);
    const auto image = imaging::decodeImageFile(writeTestFile(home.file("icon.png"), *png));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width, 32);
    EXPECT_EQ(image->height, 32);
    EXPECT_EQ(toolkit.fakeWorkspace.askedTypes.size(), 1u) << "the word processor is looked up once";

    saving.word->openInWord(window->sourcePaths.front());
    EXPECT_EQ(toolkit.fakeWorkspace.openedWith, (std::vector<std::pair<std::string, std::string>> { { home.file("a.DOCX"), kWordId } }));
    EXPECT_EQ(recents, std::vector<std::vector<std::string>> { { home.file("a.DOCX") } });
}

TEST_F(EditorSavingTest, NoWordProcessorWhenTheDesktopHasNoneOrItIsUs)
{
    for (const std::string& id : { std::string(), std::string(kApplicationId) + ".desktop" }) {
        ui::fake::FakeWorkspace workspace;
        if (!id.empty())
            workspace.defaultApplications[kWordDocumentType] = { id, "Inkwarden" };
        WordHandOff word(workspace, {});
        EXPECT_FALSE(word.wordAppURL());
        EXPECT_FALSE(word.wordIconDataURI());
        word.openInWord(home.file("a.docx"));
        EXPECT_TRUE(workspace.openedWith.empty());
    }
}

TEST_F(EditorSavingTest, EditModeActionAndMenuOpenTheEditorOnceTheProbeAnswered)
{
    auto window = windows.open(std::nullopt);
    window->isReader = true;
    window->sourcePaths = { writeTestFile(home.file("Docs/a.txt"), "text") };
    MenuCommands commands;
    registerEditMenuCommand(commands, editorServices, [&] { return window; });
    ui::MenuItem item;
    item.command = "editCurrentDoc:";
    const auto state = [&] { return commands.validate({ item, nullptr }); };

    EXPECT_FALSE(state().enabled);
    EXPECT_EQ(state().title, "Edit This Document");
    window->editProbe.editProbeEditable = false;
    EXPECT_TRUE(state().enabled);
    EXPECT_TRUE(commands.perform({ item, nullptr }));
    ASSERT_TRUE(window->editor.editorHost);
    EXPECT_EQ(state().title, "Stop Editing");
    commands.perform({ item, nullptr });
    EXPECT_FALSE(window->editor.editorHost);

    window->isPdfEdit = true;
    EXPECT_EQ(state().title, "Edit This PDF");
    commands.perform({ item, nullptr });
    EXPECT_FALSE(window->editor.editorHost);
    EXPECT_EQ(viewOf(*window).evaluated.back(), "if(window.__ikwEditEnter){__ikwEditEnter()}");
}

}
}
