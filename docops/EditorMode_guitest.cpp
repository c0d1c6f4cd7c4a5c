// The editor on the real toolkit: a GtkSourceView page laid over a reader's web view.
#include "docops/EditorMode.h"

#include "platform/ui/gtk/PageEditor.h"
#include "platform/ui/gtk/Window.h"
#include "review/EngineLocator.h"
#include "review/ReviewOnScreenFixture.h"

#include <filesystem>

namespace ikw::docops {
namespace {

using ikw::testing::readTestFile;
using ikw::testing::writeTestFile;

constexpr double kTimeout = 20;

class EditorOnScreen : public ikw::testing::ReviewOnScreenFixture {
protected:
    EditorOnScreen()
    {
        services.resolvedScheme = [this] { return scheme; };
        editorServices.toolkit = toolkit.get();
        editorServices.saveEditorDocNow = [this](ReviewWC&, std::function<void(bool)> done) {
            ++saves;
            done(true);
        };
    }

    std::shared_ptr<ReviewWC> reader(const std::string& name, const std::string& contents, std::vector<std::string> why = {})
    {
        auto window = windows.open(std::nullopt);
        window->isReader = true;
        window->sourcePaths = { writeTestFile(home.file(name), contents) };
        window->editProbe.editProbeEditable = true;
        window->editProbe.editProbeWhy = std::move(why);
        window->window().present();
        return window;
    }

    static ui::gtk3::PageEditor& editorOf(const ReviewWC& window) { return dynamic_cast<ui::gtk3::PageEditor&>(*window.editor.editorHost); }
    static GtkWidget* windowWidget(const ReviewWC& window) { return GTK_WIDGET(dynamic_cast<ui::gtk3::Window&>(window.window()).native()); }

    // A key press delivered to the window as the display would.
    static void pressKey(const ReviewWC& window, guint keyval, GdkModifierType state)
    {
        GtkWidget* widget = windowWidget(window);
        GdkEvent* event = gdk_event_new(GDK_KEY_PRESS);
        event->key.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(widget)));
        event->key.keyval = keyval;
        event->key.state = state;
        event->key.time = GDK_CURRENT_TIME;
        gdk_event_set_device(event, gdk_seat_get_keyboard(gdk_display_get_default_seat(gtk_widget_get_display(widget))));
        gtk_widget_event(widget, event);
        gdk_event_free(event);
    }

    // The user types at the caret.
    static void type(ui::gtk3::PageEditor& editor, const std::string& text)
    {
        GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(editor.textWidget()));
        gtk_text_buffer_begin_user_action(buffer);
        gtk_text_buffer_insert_interactive_at_cursor(buffer, text.c_str(), -1, TRUE);
        gtk_text_buffer_end_user_action(buffer);
    }

    std::string scheme = "light";
    EditorServices editorServices;
    int saves = 0;
};

TEST_F(EditorOnScreen, PlainTextOpensWithoutFormatControlsOverTheHiddenWebView)
{
    auto window = reader("notes.txt", "first line\nsecond line");
    enterEditorMode(*window, editorServices);
    ASSERT_TRUE(window->editor.editorHost);
    auto& editor = editorOf(*window);
    EXPECT_EQ(editor.controlWidgets().size(), 3u); // Read/Edit, Save, Save a Copy
    EXPECT_FALSE(gtk_widget_get_visible(dynamic_cast<ui::gtk3::WebView&>(window->webView()).widget()));
    EXPECT_EQ(editor.plainText(), "first line\nsecond line");
    // The system font: only a family Pango lists counts, never a substitute.
    EXPECT_FALSE(toolkit->hasFontFamily("Calibri"));
    EXPECT_TRUE(toolkit->hasFontFamily("DejaVu Sans"));

    ASSERT_TRUE(ui::gtk3::runMainLoopUntil([&] { return editor.viewportSize().width > 0 && editor.pageSize().width > 0; }, kTimeout));
    const auto visible = editor.viewportSize();
    EXPECT_EQ(editor.pageSize().width, std::max(std::min(visible.width - 56, 760.0), 360.0));
    EXPECT_GE(editor.pageSize().height, visible.height - 60);

    teardownEditor(*window);
    EXPECT_TRUE(gtk_widget_get_visible(dynamic_cast<ui::gtk3::WebView&>(window->webView()).widget()));
}

TEST_F(EditorOnScreen, OnlyControlKeysOfItsOwnWindowAreTaken)
{
    auto window = reader("k.txt", "text");
    auto other = reader("other.txt", "text");
    enterEditorMode(*window, editorServices);
    ASSERT_TRUE(window->editor.editorHost);

    pressKey(*window, GDK_KEY_S, static_cast<GdkModifierType>(GDK_CONTROL_MASK | GDK_SHIFT_MASK));
    pressKey(*window, GDK_KEY_e, static_cast<GdkModifierType>(GDK_CONTROL_MASK | GDK_MOD1_MASK));
    pressKey(*other, GDK_KEY_s, GDK_CONTROL_MASK);
    pressKey(*other, GDK_KEY_e, GDK_CONTROL_MASK);
    EXPECT_EQ(saves, 0);
    EXPECT_TRUE(window->editor.editorHost);

    pressKey(*window, GDK_KEY_s, GDK_CONTROL_MASK);
    EXPECT_EQ(saves, 1);
    pressKey(*window, GDK_KEY_e, GDK_CONTROL_MASK);
    EXPECT_FALSE(window->editor.editorHost);
}

TEST_F(EditorOnScreen, BoldOnASelectionStartingBoldClearsEveryRunAndUndoRestoresText)
{
    auto window = reader("b.rtf", "{\\rtf1 {\\b Bold} plain {\\b\\i tail}}");
    enterEditorMode(*window, editorServices);
    ASSERT_TRUE(window->editor.editorHost);
    auto& editor = editorOf(*window);
    const int length = editor.length();
    editor.setSelection({ 0, length });
    edToggleTrait(*window, EditorTrait::Bold);
    const auto read = editor.text();
    ASSERT_EQ(read.size(), 1u);
    for (const auto& run : read[0].runs)
        EXPECT_FALSE(run.style.bold) << run.text;
    EXPECT_TRUE(read[0].runs.back().style.italic);

    editor.setSelection({ length, length });
    type(editor, " more");
    EXPECT_EQ(editor.plainText(), "Bold plain tail more");
    EXPECT_TRUE(window->editor.editorDirty);
    EXPECT_EQ(editor.status(), kEditorStatusEdited);
    editor.undo();
    EXPECT_EQ(editor.plainText(), "Bold plain tail");
}

TEST_F(EditorOnScreen, NightInkIsShownButNeverReadBack)
{
    scheme = "dark";
    writeTestFile(globals().configPath, "{}");
    const std::string rtf = "{\\rtf1{\\colortbl;\\red0\\green0\\blue0;\\red255\\green255\\blue0;}\\cf1 dark \\highlight2 marked}";
    auto window = reader("ink.rtf", rtf);
    enterEditorMode(*window, editorServices);
    ASSERT_TRUE(window->editor.editorHost);
    auto& editor = editorOf(*window);
    ASSERT_EQ(editor.displayTagsAt(0).size(), 1u);
    EXPECT_EQ(editor.displayTagsAt(0).front().rfind("nightink-", 0), 0u);
    EXPECT_TRUE(editor.displayTagsAt(editor.length() - 1).empty()); // highlighted text keeps its colours

    const auto model = editor.text();
    ASSERT_FALSE(model.empty());
    ASSERT_FALSE(model[0].runs.empty());
    EXPECT_EQ(model[0].runs.front().style.foreground, (ui::Color { 0, 0, 0, 1 }));
    EXPECT_EQ(model[0].runs.front().style.background, std::nullopt);
    EXPECT_EQ(model[0].runs.back().style.background, (ui::Color { 1, 1, 0, 1 }));
}

TEST_F(EditorOnScreen, ThePaperSwitchKeepsEditsWhenTheFileWasDeleted)
{
    scheme = "dark";
    writeTestFile(globals().configPath, "{}");
    auto window = reader("p.rtf", "{\\rtf1 {\\b original}}");
    enterEditorMode(*window, editorServices);
    ASSERT_TRUE(window->editor.editorHost);
    EXPECT_EQ(editorOf(*window).controlWidgets().size(), 10u); // the paper button at night
    type(editorOf(*window), "edited ");
    std::filesystem::remove(window->sourcePaths.front());

    edTogglePaper(*window, editorServices);
    ASSERT_TRUE(window->editor.editorHost);
    auto& light = editorOf(*window);
    EXPECT_EQ(light.plainText(), "edited original");
    EXPECT_TRUE(light.text()[0].runs.back().style.bold);
    EXPECT_TRUE(window->editor.editorDirty);
    EXPECT_TRUE(light.displayTagsAt(0).empty());

    scheme = "light";
    teardownEditor(*window);
    writeTestFile(window->sourcePaths.front(), "{\\rtf1 day}");
    enterEditorMode(*window, editorServices);
    EXPECT_EQ(editorOf(*window).controlWidgets().size(), 9u); // by day there is no paper button
}

TEST_F(EditorOnScreen, TheNoticeShowsForReasonsAndCanBeDismissed)
{
    auto window = reader("n.txt", "text", { "format", "unreadable" });
    enterEditorMode(*window, editorServices);
    ASSERT_TRUE(window->editor.editorHost);
    GtkWidget* notice = editorOf(*window).noticeWidget();
    ASSERT_TRUE(notice);
    GList* children = gtk_container_get_children(GTK_CONTAINER(notice));
    EXPECT_STREQ(gtk_label_get_text(GTK_LABEL(children->data)),
        "Inkwarden could not fully inspect this document. Saving a copy keeps the original intact.");
    g_list_free(children);
    hideEditorNotice(*window);
    EXPECT_FALSE(editorOf(*window).noticeWidget());

    auto plain = reader("m.txt", "text");
    enterEditorMode(*plain, editorServices);
    EXPECT_FALSE(editorOf(*plain).noticeWidget());
}

TEST_F(EditorOnScreen, FilesTheCodecsRefuseLeaveTheReaderAsItWas)
{
    const std::pair<std::string, std::string> files[] = {
        { "bad.txt", std::string("caf\xE9 latin-1", 12) },
        { "bad.docx", "PK\x03\x04 not really a package" },
    };
    for (const auto& [name, bytes] : files) {
        auto window = reader(name, bytes);
        window->webView().loadUrl("file://" + readerHTMLPath());
        ASSERT_TRUE(ui::gtk3::runMainLoopUntil([&] { return ask(*window, "document.getElementById('toast') ? 'ready' : ''") == "ready"; }, kTimeout));
        enterEditorMode(*window, editorServices);
        EXPECT_FALSE(window->editor.editorHost) << name;
        EXPECT_TRUE(gtk_widget_get_visible(dynamic_cast<ui::gtk3::WebView&>(window->webView()).widget()));
        ASSERT_TRUE(ui::gtk3::runMainLoopUntil([&] { return !ask(*window, "document.getElementById('toast').textContent").empty(); }, kTimeout));
        EXPECT_EQ(ask(*window, "document.getElementById('toast').textContent").rfind("Could not open for editing: ", 0), 0u) << name;
        EXPECT_EQ(readTestFile(window->sourcePaths.front()), bytes);
    }
}

}
}
