#include "finder/IkwDocMenu.h"
#include "finder/OpenWithMenus.h"

#include "app/MenuCommands.h"
#include "platform/core/WorkQueue.h"
#include "review/ReviewTestFixture.h"
#include "review/UrlActions.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace ikw::finder {
namespace {

using Titles = std::vector<std::string>;

const std::string kViewer = "/usr/share/applications/org.Viewer.desktop";
const std::string kStandIn = "/usr/share/applications/standin.desktop";

// The titles of a menu's entries, separators as "-".
Titles titlesOf(const std::vector<ui::MenuItem>& items)
{
    Titles titles;
    for (const auto& item : items)
        titles.push_back(item.separator ? "-" : item.title);
    return titles;
}

const ui::MenuItem* find(const std::vector<ui::MenuItem>& items, const std::string& title)
{
    for (const auto& item : items) {
        if (!item.separator && item.title == title)
            return &item;
    }
    return nullptr;
}

// Two review tabs of one window on the recording toolkit (the first a reader of Docs/Report.pdf),
// the document menu attached to them, and a desktop with two applications for every file.
class DocMenuTest : public testing::ReviewFixture {
protected:
    DocMenuTest()
    {
        toolkit.fakeWorkspace.applications = {
            { kViewer, "org.Viewer.desktop", "Viewer", {}, std::nullopt },
            { kStandIn, "standin.desktop", "Stand-in", {}, std::nullopt },
        };
        toolkit.fakeWorkspace.defaultApplication = ui::DesktopApplication { "standin.desktop", "Stand-in", kStandIn };
        report = testing::writeTestFile(home.file("Docs/Report.pdf"), "%PDF-1.4");
        reader = windows.open(std::nullopt);
        reader->isReader = true;
        reader->sourcePaths = { report };
        other = windows.open(std::nullopt, reader.get());
        menu->attachAll();
    }

    DocMenuServices services()
    {
        DocMenuServices made;
        made.files.workers = &workers;
        made.files.toolkit = &toolkit;
        made.files.startProgram = [this](const std::vector<std::string>& argv) {
            calls.push_back(argv.front() + " " + argv.back());
            return true;
        };
        made.openWith = openWith;
        made.windows = [this] { return windows.windows(); };
        made.wordAppURL = [this] { return word; };
        made.wordDocExts = { "docx", "doc", "rtf", "odt", "dotx", "dot" };
        made.openInWord = [this](const std::string& path) { calls.push_back("word " + path); };
        made.editDocument = [this](ReviewWC&, bool stop) { calls.push_back(stop ? "stopedit" : "edit"); };
        made.saveEditorDocNow = [this](ReviewWC&) { calls.push_back("save"); };
        made.compressPDF = [this](ReviewWC&) { calls.push_back("shrink"); };
        made.shareOnline = [this](ReviewWC&) { calls.push_back("shareonline"); };
        return made;
    }

    ui::fake::FakeWindow& frame() { return windowOf(*reader); }
    int indexOf(const ReviewWC& tab)
    {
        for (int index = 0; index < tab.window().tabCount(); ++index) {
            if (tab.window().tab(index) == tab.web)
                return index;
        }
        return -1;
    }
    // Right-clicks the tab's label; its entries, none when it shows no menu.
    std::vector<ui::MenuItem> rightClick(const ReviewWC& tab)
    {
        shown = windowOf(tab).rightClickTab(indexOf(tab));
        return shown ? shown->menu->items : std::vector<ui::MenuItem> {};
    }
    // Chooses an entry (by its path of titles) of the menu shown last; its command runs once the
    // menu has gone.
    void choose(const Titles& path)
    {
        ASSERT_TRUE(shown);
        const std::vector<ui::MenuItem>* items = &shown->menu->items;
        const ui::MenuItem* item = nullptr;
        for (const auto& title : path) {
            item = find(*items, title);
            ASSERT_NE(item, nullptr) << title;
            if (item->submenu)
                items = &item->submenu->items;
        }
        ASSERT_TRUE(performIfEnabled(*item, shown->responder));
        queue.drain();
    }

    WorkQueue workers { "doc-menu-test", 1 };
    std::shared_ptr<IkwOpenWith> openWith = std::make_shared<IkwOpenWith>(toolkit.fakeWorkspace, home.file(".local/share"));
    std::optional<ui::DesktopApplication> word;
    std::vector<std::string> calls;
    std::shared_ptr<IkwDocMenu> menu = IkwDocMenu::create(services());
    std::string report;
    std::shared_ptr<ReviewWC> reader, other;
    std::optional<ui::TabMenu> shown;
};

TEST_F(DocMenuTest, APdfReaderWhoseProbeHasNotAnsweredShowsTheFileCommandsAboveTheTabsOwn)
{
    word = ui::DesktopApplication { "writer.desktop", "Writer" }; // never offered a PDF
    const Titles expected { "Report.pdf", "Share Online\u2026", "Share", "-", "Open With", "Show in Files", "Open Enclosing Folder", "Get Info", "-",
        "Rename\u2026", "Duplicate", "Compress", "Copy File", "Copy Path", "-", "Shrink PDF\u2026", "-", "Print\u2026", "-",
        "Move Tab to New Window", "Close Tab" };
    EXPECT_EQ(titlesOf(rightClick(*reader)), expected);
    const auto items = rightClick(*reader); // built anew, never added twice
    EXPECT_EQ(titlesOf(items), expected);
    EXPECT_FALSE(items.front().enabled);
    EXPECT_EQ(find(items, "Duplicate")->key, (ui::KeyCombo { "d", ui::kModControl }));
    EXPECT_EQ(find(items, "Print\u2026")->key, (ui::KeyCombo { "p", ui::kModControl }));
    EXPECT_EQ(titlesOf(find(items, "Open With")->submenu->items), (Titles { "Viewer", "Stand-in (default)" }));
}

TEST_F(DocMenuTest, ADocxReaderWithTheEditorOpenOffersSavingAndTheWordProcessor)
{
    const std::string docx = testing::writeTestFile(home.file("Docs/Brief.docx"), "PK");
    reader->sourcePaths = { docx };
    reader->editor.editorHost = toolkit.makePageEditor({});
    word = ui::DesktopApplication { "writer.desktop", "Writer" };
    const auto items = rightClick(*reader);
    EXPECT_EQ(titlesOf(items),
        (Titles { "Brief.docx", "Save", "Save a Copy\u2026", "Stop Editing", "Open in Writer", "-", "Share", "-", "Open With", "Show in Files",
            "Open Enclosing Folder", "Get Info", "-", "Rename\u2026", "Duplicate", "Compress", "Copy File", "Copy Path", "-", "Print\u2026", "-",
            "Move Tab to New Window", "Close Tab" }));
    EXPECT_EQ(find(items, "Save")->key, (ui::KeyCombo { "s", ui::kModControl }));
}

TEST_F(DocMenuTest, TheEditEntryFollowsTheProbeAndThePageEditor)
{
    const std::pair<bool, std::string> cases[] = { { false, "Edit This Document" }, { true, "Edit This PDF" } };
    for (const auto& [pdfEdit, title] : cases) {
        reader->editProbe.editProbeEditable = false; // answered, either way
        reader->isPdfEdit = pdfEdit;
        const auto items = rightClick(*reader);
        ASSERT_GT(items.size(), 2u);
        EXPECT_EQ(items[1].title, title);
        EXPECT_TRUE(items[2].separator);
    }
}

TEST_F(DocMenuTest, TabsWithoutAnExistingFileShowOnlyTheTabsOwnEntries)
{
    EXPECT_EQ(titlesOf(rightClick(*other)), (Titles { "Move Tab to New Window", "Close Tab" })); // no document
    other->sourcePaths = { home.file("Docs") };
    EXPECT_EQ(titlesOf(rightClick(*other)), (Titles { "Move Tab to New Window", "Close Tab" })); // a folder
    std::filesystem::remove(report);
    EXPECT_EQ(titlesOf(rightClick(*reader)), (Titles { "Move Tab to New Window", "Close Tab" }));
    other->closeTab();
    EXPECT_EQ(titlesOf(rightClick(*reader)), (Titles { "Close Tab" })); // alone in its window
}

TEST_F(DocMenuTest, EveryReviewWindowGetsTheMenuOnceAndNewOnesAfterTheSweep)
{
    const auto alone = windows.open(std::nullopt);
    EXPECT_FALSE(windowOf(*alone).hasTabMenuProvider());
    menu->scheduleAttachSweep();
    EXPECT_TRUE(windowOf(*alone).hasTabMenuProvider());
    const auto later = windows.open(std::nullopt);
    queue.advance(0.5);
    EXPECT_TRUE(windowOf(*later).hasTabMenuProvider());
    // A window that has a menu keeps it.
    frame().setTabMenuProvider([](const std::shared_ptr<ui::WebView>&) { return ui::TabMenu {}; });
    menu->attachAll();
    EXPECT_FALSE(frame().rightClickTab(0));
}

TEST_F(DocMenuTest, CommandsActOnTheTabsDocumentAndWindow)
{
    reader->editProbe.editProbeEditable = true;
    rightClick(*reader);
    choose({ "Copy Path" });
    EXPECT_EQ(toolkit.fakeClipboard.contents, report);
    choose({ "Copy File" });
    EXPECT_EQ(toolkit.fakeClipboard.files, (std::vector<std::string> { report }));
    choose({ "Open With", "Viewer" });
    EXPECT_EQ(toolkit.fakeWorkspace.openedWith, (std::vector<std::pair<std::string, std::string>> { { report, kViewer } }));
    choose({ "Show in Files" });
    choose({ "Open Enclosing Folder" });
    choose({ "Get Info" });
    EXPECT_EQ(toolkit.fakeWorkspace.revealed, (std::vector<std::string> { report }));
    EXPECT_EQ(toolkit.fakeWorkspace.openedFiles, (std::vector<std::string> { home.file("Docs") }));
    EXPECT_EQ(toolkit.fakeWorkspace.propertiesShown, (std::vector<std::string> { report }));
    frame().selectTab(indexOf(*other));
    choose({ "Print\u2026" });
    EXPECT_EQ(frame().selectedTab(), indexOf(*reader)); // brought forward first
    EXPECT_EQ(viewOf(*reader).evaluated.back(), "if(window.__ikwPrint){__ikwPrint()}");
    for (const char* title : { "Edit This Document", "Share Online\u2026", "Shrink PDF\u2026" })
        choose({ title });
    choose({ "Share", "Email" });
    EXPECT_EQ(calls, (std::vector<std::string> { "edit", "shareonline", "shrink", "xdg-email " + report }));
    EXPECT_EQ(toolkit.beeps, 0);
}

TEST_F(DocMenuTest, ACommandWhoseDocumentWentBeepsAndOneWhoseWindowClosedDoesNothing)
{
    rightClick(*reader);
    toolkit.fakeClipboard.contents = "before";
    std::filesystem::remove(report);
    choose({ "Copy File" });
    choose({ "Copy Path" });
    EXPECT_EQ(toolkit.beeps, 2);
    EXPECT_EQ(toolkit.fakeClipboard.contents, "before");
    EXPECT_TRUE(toolkit.fakeClipboard.files.empty());

    testing::writeTestFile(report, "%PDF-1.4");
    reader->closeTab();
    ASSERT_TRUE(reader->isClosed());
    const auto evaluated = viewOf(*reader).evaluated.size();
    for (const char* title : { "Print\u2026", "Shrink PDF\u2026", "Rename\u2026", "Close Tab" })
        choose({ title });
    EXPECT_EQ(viewOf(*reader).evaluated.size(), evaluated);
    EXPECT_TRUE(calls.empty());
    EXPECT_TRUE(toolkit.fakeDialogs.alerts.empty());
    EXPECT_EQ(toolkit.beeps, 2);
    choose({ "Copy Path" }); // needs no window
    EXPECT_EQ(toolkit.fakeClipboard.contents, report);
}

TEST_F(DocMenuTest, TheTabsOwnEntriesMoveAndCloseIt)
{
    rightClick(*other);
    choose({ "Move Tab to New Window" });
    EXPECT_NE(&other->window(), &reader->window());
    menu->attachAll(); // as the sweep after a new window does
    EXPECT_EQ(titlesOf(rightClick(*other)), (Titles { "Close Tab" }));
    choose({ "Close Tab" });
    EXPECT_TRUE(other->isClosed());
    EXPECT_FALSE(reader->isClosed());
}

// The review page's "openmenu", the main menu's "Open With" and their two commands.
class OpenWithMenuTest : public DocMenuTest {
protected:
    OpenWithMenuTest()
    {
        registerOpenWithCommands(commands, toolkit.fakeWorkspace);
        registerOpenMenuAction(actions, { .openWith = openWith, .menuResponder = [this](ui::Window& window) { return commands.responderFor(&window); } });
    }
    void send(const std::string& query)
    {
        actions.dispatch("openmenu", UrlAction { *reader, "qeliz://openmenu?" + query });
    }

    MenuCommands commands;
    UrlActions actions;
};

TEST_F(OpenWithMenuTest, TheReviewPagesPopUpListsTheApplicationsAtThePointer)
{
    frame().pointer = ui::WindowPoint { 40, 60 };
    send("path=" + report);
    ASSERT_EQ(frame().popUps.size(), 1u);
    const auto& popUp = frame().popUps.back();
    EXPECT_EQ(titlesOf(popUp.menu->items), (Titles { "Open in Viewer", "Open in Stand-in  (default)", "-", "Reveal in Files" }));
    EXPECT_EQ(std::make_pair(popUp.x, popUp.y), std::make_pair(40.0, 60.0));
    EXPECT_TRUE(performIfEnabled(popUp.menu->items[1], popUp.responder));
    EXPECT_TRUE(performIfEnabled(popUp.menu->items[3], popUp.responder));
    EXPECT_EQ(toolkit.fakeWorkspace.openedWith, (std::vector<std::pair<std::string, std::string>> { { report, kStandIn } }));
    EXPECT_EQ(toolkit.fakeWorkspace.revealed, (std::vector<std::string> { report }));

    frame().pointer.reset(); // elsewhere: the middle of the window
    toolkit.fakeWorkspace.applications.clear();
    toolkit.fakeWorkspace.defaultApplication.reset();
    send("path=" + report);
    EXPECT_EQ(titlesOf(frame().popUps.back().menu->items), (Titles { "-", "Reveal in Files" }));
    EXPECT_EQ(frame().popUps.back().x, frame().contentSize().width / 2.0);
    for (const char* query : { "", "path=relative.pdf" })
        send(query);
    EXPECT_EQ(frame().popUps.size(), 2u);
}

TEST_F(OpenWithMenuTest, CommandsWithAPayloadOfAnotherShapeDoNothing)
{
    for (const Json& payload : { Json(report), Json::array({ report }), Json::array({ report, kViewer, "x" }), Json::array({ report, 3 }) }) {
        ui::MenuItem item;
        item.command = "openInApp:";
        item.representedObject = payload;
        commands.perform({ item, nullptr });
    }
    ui::MenuItem reveal;
    reveal.command = "revealPath:";
    reveal.representedObject = Json::array({ report });
    commands.perform({ reveal, nullptr });
    EXPECT_TRUE(toolkit.fakeWorkspace.openedWith.empty());
    EXPECT_TRUE(toolkit.fakeWorkspace.revealed.empty());
}

TEST_F(OpenWithMenuTest, TheMainMenusSubmenuFollowsTheCurrentDocument)
{
    std::optional<std::string> current;
    const auto fill = openWithMenuFiller(openWith, [&] { return current; });
    ui::Menu shown { "Open With", {}, true };
    fill(shown);
    EXPECT_EQ(titlesOf(shown.items), (Titles { "No Document" }));
    current = report;
    fill(shown);
    EXPECT_EQ(titlesOf(shown.items), (Titles { "Viewer", "Stand-in (default)" }));
    EXPECT_EQ(shown.items[0].command, "openInApp:");
    EXPECT_EQ(shown.items[0].representedObject, Json::array({ report, kViewer }));
    toolkit.fakeWorkspace.applications.clear();
    toolkit.fakeWorkspace.defaultApplication.reset();
    fill(shown);
    EXPECT_EQ(titlesOf(shown.items), (Titles { "No App Can Open This" }));
    EXPECT_FALSE(shown.items[0].enabled);
}

}
}
