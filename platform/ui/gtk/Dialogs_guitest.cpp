// Alerts on the test display: the clicked button and the "Don’t ask me again" box come back.
#include "platform/core/GLibMainQueue.h"
#include "platform/ui/gtk/GtkSetup.h"
#include "platform/ui/gtk/GtkToolkit.h"
#include "tests/support/TempHome.h"

#include <algorithm>

#include <gtest/gtest.h>
#include <gtk/gtk.h>

namespace ikw::ui {
namespace {

GtkWidget* findWidget(GtkWidget* root, const std::function<bool(GtkWidget*)>& matches)
{
    if (matches(root))
        return root;
    if (!GTK_IS_CONTAINER(root))
        return nullptr;
    GList* children = gtk_container_get_children(GTK_CONTAINER(root));
    GtkWidget* found = nullptr;
    for (GList* child = children; child && !found; child = child->next)
        found = findWidget(GTK_WIDGET(child->data), matches);
    g_list_free(children);
    return found;
}

GtkWidget* shownAlert()
{
    GList* toplevels = gtk_window_list_toplevels();
    GtkWidget* alert = nullptr;
    for (GList* window = toplevels; window; window = window->next) {
        if (GTK_IS_MESSAGE_DIALOG(window->data) && gtk_widget_get_visible(GTK_WIDGET(window->data)))
            alert = GTK_WIDGET(window->data);
    }
    g_list_free(toplevels);
    return alert;
}

GtkWidget* buttonLabelled(GtkWidget* dialog, const std::string& label)
{
    return findWidget(dialog, [&](GtkWidget* widget) {
        return GTK_IS_BUTTON(widget) && !GTK_IS_CHECK_BUTTON(widget) && gtk_button_get_label(GTK_BUTTON(widget))
            && label == gtk_button_get_label(GTK_BUTTON(widget));
    });
}

GtkWidget* shownChooser()
{
    GList* toplevels = gtk_window_list_toplevels();
    GtkWidget* chooser = nullptr;
    for (GList* window = toplevels; window; window = window->next) {
        if (GTK_IS_FILE_CHOOSER_DIALOG(window->data) && gtk_widget_get_visible(GTK_WIDGET(window->data)))
            chooser = GTK_WIDGET(window->data);
    }
    g_list_free(toplevels);
    return chooser;
}

// The chooser's path bar looks up its buttons' icons asynchronously; closing the chooser while those
// lookups are still out trips an assertion inside GTK, so the tests let them land first.
void letPendingLookupsLand()
{
    gtk3::runMainLoopUntil([] { return false; }, 0.3);
}

std::string acceptLabel(GtkWidget* chooser)
{
    GtkWidget* button = gtk_dialog_get_widget_for_response(GTK_DIALOG(chooser), GTK_RESPONSE_ACCEPT);
    return button && gtk_button_get_label(GTK_BUTTON(button)) ? gtk_button_get_label(GTK_BUTTON(button)) : "";
}

TEST(Dialogs, OpenPanelsShowTheirPromptAndMessage)
{
    ASSERT_TRUE(gtk3::initializeGtk());
    GLibMainQueue queue;
    ScopedMainQueue installed(queue);
    auto toolkit = gtk3::makeGtkToolkit();

    struct Case {
        std::string title, prompt, message;
        bool filesAndFolders;
        std::string shownTitle, accept;
    };
    const Case cases[] = {
        { "Visual Compare", "Compare", "Choose two PDFs", false, "Choose two PDFs", "Compare" },
        { "Read a Document", "", "", false, "Read a Document", "Open" },
        { "Pick", "Choose", "", true, "Pick", "Choose" },
    };
    for (const auto& test : cases) {
        FilePanelOptions request;
        request.title = test.title;
        request.prompt = test.prompt;
        request.message = test.message;
        request.chooseDirectories = test.filesAndFolders;
        std::optional<std::optional<std::vector<std::string>>> answer;
        toolkit->dialogs().openPanel(nullptr, request, [&](std::optional<std::vector<std::string>> chosen) { answer = chosen; });
        GtkWidget* chooser = shownChooser();
        ASSERT_TRUE(chooser) << test.title;
        EXPECT_STREQ(gtk_window_get_title(GTK_WINDOW(chooser)), test.shownTitle.c_str());
        EXPECT_EQ(acceptLabel(chooser), test.accept);
        gtk_dialog_response(GTK_DIALOG(chooser), GTK_RESPONSE_CANCEL);
        ASSERT_TRUE(gtk3::runMainLoopUntil([&] { return answer.has_value(); }, 10));
        EXPECT_EQ(*answer, std::nullopt) << "a cancelled panel answers nothing";
        gtk3::runMainLoopUntil([] { return !shownChooser(); }, 10);
    }
}

TEST(Dialogs, APanelForFilesAndFoldersTakesEither)
{
    ASSERT_TRUE(gtk3::initializeGtk());
    GLibMainQueue queue;
    ScopedMainQueue installed(queue);
    auto toolkit = gtk3::makeGtkToolkit();
    testing::TempHome home;
    const std::string folder = home.file("Matter");
    const std::string file = testing::writeTestFile(folder + "/brief.pdf", "%PDF-1.4\n");

    FilePanelOptions request;
    request.title = "Organize";
    request.prompt = "Organize";
    request.directory = folder;
    request.chooseDirectories = true;
    request.allowsMultiple = true;
    struct Case {
        const char* button; // nothing: the accept button, with the file selected
        std::vector<std::string> expected;
    };
    const Case cases[] = { { nullptr, { file } }, { "Choose Folder", { folder } } };
    for (const auto& test : cases) {
        std::optional<std::optional<std::vector<std::string>>> answer;
        toolkit->dialogs().openPanel(nullptr, request, [&](std::optional<std::vector<std::string>> chosen) { answer = chosen; });
        GtkWidget* chooser = shownChooser();
        ASSERT_TRUE(chooser);
        auto* files = GTK_FILE_CHOOSER(chooser);
        ASSERT_TRUE(gtk3::runMainLoopUntil([&] {
            gchar* shown = gtk_file_chooser_get_current_folder(files);
            const bool there = shown && folder == shown;
            g_free(shown);
            return there;
        }, 10));
        letPendingLookupsLand();
        if (test.button) {
            gtk_button_clicked(GTK_BUTTON(buttonLabelled(chooser, test.button)));
        } else {
            gtk_file_chooser_select_filename(files, file.c_str());
            ASSERT_TRUE(gtk3::runMainLoopUntil([&] {
                gchar* selected = gtk_file_chooser_get_filename(files);
                const bool chosen = selected && file == selected;
                g_free(selected);
                return chosen;
            }, 10));
            gtk_dialog_response(GTK_DIALOG(chooser), GTK_RESPONSE_ACCEPT);
        }
        ASSERT_TRUE(gtk3::runMainLoopUntil([&] { return answer.has_value(); }, 10));
        EXPECT_EQ(*answer, test.expected);
        gtk3::runMainLoopUntil([] { return !shownChooser(); }, 10);
        letPendingLookupsLand();
    }
}

TEST(Dialogs, AlertAnswersTheClickedButtonAndTheSuppressionBox)
{
    ASSERT_TRUE(gtk3::initializeGtk());
    GLibMainQueue queue;
    ScopedMainQueue installed(queue);
    auto toolkit = gtk3::makeGtkToolkit();
    auto window = toolkit->makeWindow({ .width = 300, .height = 200, .title = "host", .offscreen = false });
    window->show();

    struct Case {
        bool tickBox;
        const char* click; // nothing: the window is closed instead; "Escape": the dialog's close key
        AlertAnswer expected;
        std::optional<int> cancelButton = std::nullopt;
    };
    const Case cases[] = {
        { true, "Rotate", { 0, true } },
        { false, "Cancel", { 1, false } },
        { true, nullptr, { -1, true } },
        { true, "Escape", { 1, true }, 1 },  // Escape answers the alert's cancel button
        { false, nullptr, { 1, false }, 1 }, // and so does the close box
    };
    for (const auto& c : cases) {
        AlertContent request;
        request.message = "Rotate pages?";
        request.informativeText = "The file is changed in place.";
        request.buttons = { "Rotate", "Cancel" };
        request.showsSuppression = true;
        request.cancelButton = c.cancelButton;
        std::optional<AlertAnswer> answer;
        toolkit->dialogs().alert(window.get(), request, [&](AlertAnswer given) { answer = given; });

        GtkWidget* alert = shownAlert();
        ASSERT_TRUE(alert);
        GtkWidget* box = findWidget(alert, [](GtkWidget* widget) { return GTK_IS_CHECK_BUTTON(widget); });
        ASSERT_TRUE(box);
        EXPECT_STREQ(gtk_button_get_label(GTK_BUTTON(box)), "Don\u2019t ask me again");
        gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(box), c.tickBox);
        if (c.click && std::string(c.click) == "Escape")
            g_signal_emit_by_name(alert, "close");
        else if (c.click)
            gtk_button_clicked(GTK_BUTTON(buttonLabelled(alert, c.click)));
        else
            gtk_dialog_response(GTK_DIALOG(alert), GTK_RESPONSE_DELETE_EVENT);
        ASSERT_TRUE(gtk3::runMainLoopUntil([&] { return answer.has_value(); }, 10));
        EXPECT_EQ(answer->button, c.expected.button);
        EXPECT_EQ(answer->suppressed, c.expected.suppressed);
    }
}

TEST(Dialogs, ADismissedAlertAnswersMinusOneAndLeavesTheScreen)
{
    ASSERT_TRUE(gtk3::initializeGtk());
    GLibMainQueue queue;
    ScopedMainQueue installed(queue);
    auto toolkit = gtk3::makeGtkToolkit();

    AlertContent request;
    request.message = "A question nobody answers";
    request.buttons = { "Yes", "No" };
    request.keepAbove = true;
    std::vector<int> answers;
    const AlertHandle handle = toolkit->dialogs().alert(nullptr, request, [&](AlertAnswer given) { answers.push_back(given.button); });
    ASSERT_TRUE(shownAlert());
    handle.dismiss();
    ASSERT_TRUE(gtk3::runMainLoopUntil([&] { return !answers.empty() && !shownAlert(); }, 10));
    handle.dismiss();
    EXPECT_EQ(answers, std::vector<int> { -1 }) << "one answer, however often it is dismissed";

    // Once answered, a dismissal changes nothing.
    answers.clear();
    const AlertHandle answered = toolkit->dialogs().alert(nullptr, request, [&](AlertAnswer given) { answers.push_back(given.button); });
    gtk_button_clicked(GTK_BUTTON(buttonLabelled(shownAlert(), "No")));
    ASSERT_TRUE(gtk3::runMainLoopUntil([&] { return !answers.empty(); }, 10));
    answered.dismiss();
    EXPECT_EQ(answers, std::vector<int> { 1 });
}

}
}

namespace ikw::ui {
namespace {

TEST(Dialogs, AnAlertTextFieldStartsFocusedWithItsTextAndAnswersWhatWasTyped)
{
    ASSERT_TRUE(gtk3::initializeGtk());
    GLibMainQueue queue;
    ScopedMainQueue installed(queue);
    auto toolkit = gtk3::makeGtkToolkit();
    auto window = toolkit->makeWindow({ .width = 300, .height = 200, .title = "host", .offscreen = false });
    window->show();

    AlertContent request;
    request.message = "Rename \u201CReport.pdf\u201D";
    request.buttons = { "Rename", "Cancel" };
    request.textFields = { { .text = "Report.pdf", .placeholder = "Title in the library" } };
    std::optional<AlertAnswer> answer;
    toolkit->dialogs().alert(window.get(), request, [&](AlertAnswer given) { answer = given; });

    GtkWidget* alert = shownAlert();
    ASSERT_TRUE(alert);
    GtkWidget* field = findWidget(alert, [](GtkWidget* widget) { return GTK_IS_ENTRY(widget); });
    ASSERT_TRUE(field);
    EXPECT_STREQ(gtk_entry_get_text(GTK_ENTRY(field)), "Report.pdf");
    EXPECT_STREQ(gtk_entry_get_placeholder_text(GTK_ENTRY(field)), "Title in the library");
    EXPECT_EQ(gtk_window_get_focus(GTK_WINDOW(alert)), field);
    int width = 0;
    gtk_widget_get_size_request(field, &width, nullptr);
    EXPECT_EQ(width, 320);
    gtk_entry_set_text(GTK_ENTRY(field), "Final \u00E9t\u00E9");
    // Enter in the field answers with the default button.
    gtk_widget_activate(field);
    ASSERT_TRUE(gtk3::runMainLoopUntil([&] { return answer.has_value(); }, 10));
    EXPECT_EQ(answer->button, 0);
    EXPECT_EQ(answer->fieldTexts, std::vector<std::string> { "Final \u00E9t\u00E9" });
}

}
}

namespace ikw::ui {
namespace {

// A red and white 2 x 1 picture, shown blown up: the squares stay sharp.
std::string twoPixelPng()
{
    GdkPixbuf* picture = gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, 2, 1);
    guchar* pixels = gdk_pixbuf_get_pixels(picture);
    const guchar colours[6] = { 255, 0, 0, 255, 255, 255 };
    std::copy(colours, colours + 6, pixels);
    gchar* bytes = nullptr;
    gsize size = 0;
    gdk_pixbuf_save_to_buffer(picture, &bytes, &size, "png", nullptr, nullptr);
    std::string png(bytes, size);
    g_free(bytes);
    g_object_unref(picture);
    return png;
}

TEST(Dialogs, AnAlertShowsItsPictureAboveItsLine)
{
    ASSERT_TRUE(gtk3::initializeGtk());
    GLibMainQueue queue;
    ScopedMainQueue installed(queue);
    auto toolkit = gtk3::makeGtkToolkit();

    struct Case {
        const char* what;
        std::string png;
    };
    for (const Case& test : { Case { "a picture", twoPixelPng() }, Case { "bytes that are no picture", "not a png" } }) {
        AlertContent request;
        request.message = "Pair";
        request.buttons = { "Copy", "Done" };
        request.image = AlertImage { .png = test.png, .width = 40, .height = 20 };
        request.label = AlertLabel { .text = "K7M2-P9QX", .points = 26, .bold = true, .monospaced = true };
        std::optional<AlertAnswer> answer;
        toolkit->dialogs().alert(nullptr, request, [&](AlertAnswer given) { answer = given; });
        GtkWidget* alert = shownAlert();
        ASSERT_TRUE(alert) << test.what;

        GtkWidget* image = findWidget(alert, [](GtkWidget* widget) { return GTK_IS_IMAGE(widget) && gtk_widget_get_parent(widget) && GTK_IS_BOX(gtk_widget_get_parent(widget)); });
        GtkWidget* label = findWidget(alert, [](GtkWidget* widget) { return GTK_IS_LABEL(widget) && std::string(gtk_label_get_text(GTK_LABEL(widget))) == "K7M2-P9QX"; });
        ASSERT_TRUE(image && label) << test.what;
        EXPECT_EQ(gtk_widget_get_parent(image), gtk_widget_get_parent(label)) << test.what;
        int width = 0;
        int height = 0;
        gtk_widget_get_size_request(image, &width, &height);
        EXPECT_EQ(width, 40);
        EXPECT_EQ(height, 20);
        GdkPixbuf* shown = gtk_image_get_storage_type(GTK_IMAGE(image)) == GTK_IMAGE_PIXBUF ? gtk_image_get_pixbuf(GTK_IMAGE(image)) : nullptr;
        if (test.png == "not a png") {
            EXPECT_FALSE(shown) << "the place stays empty";
        } else {
            ASSERT_TRUE(shown);
            EXPECT_EQ(gdk_pixbuf_get_width(shown), 40);
            // Nearest-neighbour scaling: the left half is all red, the right all white, with no blend between.
            const guchar* pixels = gdk_pixbuf_get_pixels(shown);
            const int channels = gdk_pixbuf_get_n_channels(shown);
            EXPECT_EQ(pixels[19 * channels + 1], 0);
            EXPECT_EQ(pixels[20 * channels + 1], 255);
        }
        PangoAttrList* attributes = gtk_label_get_attributes(GTK_LABEL(label));
        ASSERT_TRUE(attributes);
        PangoAttrIterator* it = pango_attr_list_get_iterator(attributes);
        PangoFontDescription* font = pango_font_description_new();
        pango_attr_iterator_get_font(it, font, nullptr, nullptr);
        EXPECT_STREQ(pango_font_description_get_family(font), "monospace");
        EXPECT_EQ(pango_font_description_get_weight(font), PANGO_WEIGHT_BOLD);
        EXPECT_EQ(pango_font_description_get_size(font), 26 * PANGO_SCALE);
        pango_font_description_free(font);
        pango_attr_iterator_destroy(it);

        gtk_button_clicked(GTK_BUTTON(buttonLabelled(alert, "Done")));
        ASSERT_TRUE(gtk3::runMainLoopUntil([&] { return answer.has_value(); }, 10));
        EXPECT_EQ(answer->button, 1);
    }
}

}
}
