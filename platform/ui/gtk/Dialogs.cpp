#include "platform/ui/gtk/Dialogs.h"

#include "platform/ui/gtk/Window.h"

#include <gtk/gtk.h>

#include <memory>

namespace ikw::ui::gtk3 {

namespace {

GtkWindow* nativeOf(ui::Window* window)
{
    auto* gtkWindow = dynamic_cast<Window*>(window);
    return gtkWindow ? gtkWindow->native() : nullptr;
}

GtkMessageType messageTypeOf(AlertContent::Style style)
{
    switch (style) {
    case AlertContent::Style::Warning:
        return GTK_MESSAGE_WARNING;
    case AlertContent::Style::Critical:
        return GTK_MESSAGE_ERROR;
    case AlertContent::Style::Informational:
        break;
    }
    return GTK_MESSAGE_INFO;
}

// An alert on screen, shared by its "response" handler (which owns it) and its handles (which
// only look at it).
struct OpenAlert {
    OpenAlert() { g_weak_ref_init(&dialog, nullptr); }
    ~OpenAlert() { g_weak_ref_clear(&dialog); }
    OpenAlert(const OpenAlert&) = delete;
    OpenAlert& operator=(const OpenAlert&) = delete;

    std::function<void(AlertAnswer)> completion;
    GtkWidget* suppression = nullptr;
    std::vector<GtkWidget*> fields; // owned by the dialog
    std::optional<int> cancelButton;
    GWeakRef dialog;
    bool answered = false;
};

void answerAlert(GtkDialog* dialog, int response, gpointer data)
{
    // Destroying the dialog below frees `data`; this copy keeps the alert for the rest of the call.
    const std::shared_ptr<OpenAlert> open = *static_cast<std::shared_ptr<OpenAlert>*>(data);
    if (open->answered)
        return;
    open->answered = true;
    AlertAnswer answer;
    answer.button = response >= 0 ? response : -1;
    // Escape and the close box: the alert's cancel button when it has one.
    if (response == GTK_RESPONSE_DELETE_EVENT && open->cancelButton)
        answer.button = *open->cancelButton;
    answer.suppressed = open->suppression && gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(open->suppression));
    for (GtkWidget* field : open->fields)
        answer.fieldTexts.emplace_back(gtk_entry_get_text(GTK_ENTRY(field)));
    const auto completion = std::move(open->completion);
    gtk_widget_destroy(GTK_WIDGET(dialog));
    if (completion)
        completion(answer);
}

void addTextFields(GtkMessageDialog* dialog, const std::vector<AlertTextField>& requested, std::vector<GtkWidget*>& fields)
{
    GtkWidget* area = gtk_message_dialog_get_message_area(dialog);
    for (const AlertTextField& request : requested) {
        GtkWidget* field = gtk_entry_new();
        gtk_entry_set_text(GTK_ENTRY(field), request.text.c_str());
        if (!request.placeholder.empty())
            gtk_entry_set_placeholder_text(GTK_ENTRY(field), request.placeholder.c_str());
        gtk_entry_set_activates_default(GTK_ENTRY(field), TRUE);
        gtk_widget_set_size_request(field, request.width, -1);
        gtk_box_pack_start(GTK_BOX(area), field, FALSE, FALSE, 0);
        gtk_widget_show(field);
        fields.push_back(field);
    }
    if (!fields.empty())
        gtk_window_set_focus(GTK_WINDOW(dialog), fields.front());
}

// The picture from its PNG bytes at the size asked for, squares kept sharp; none when the bytes
// are no picture.
GdkPixbuf* pictureOf(const AlertImage& image)
{
    if (image.png.empty())
        return nullptr;
    GdkPixbufLoader* loader = gdk_pixbuf_loader_new();
    const bool written = gdk_pixbuf_loader_write(loader, reinterpret_cast<const guchar*>(image.png.data()), image.png.size(), nullptr);
    // A loader is closed once, whether the bytes were taken or not.
    const bool closed = gdk_pixbuf_loader_close(loader, nullptr);
    GdkPixbuf* picture = written && closed ? gdk_pixbuf_loader_get_pixbuf(loader) : nullptr;
    if (picture)
        g_object_ref(picture);
    g_object_unref(loader);
    if (!picture)
        return nullptr;
    const int width = image.width > 0 ? image.width : gdk_pixbuf_get_width(picture);
    const int height = image.height > 0 ? image.height : gdk_pixbuf_get_height(picture);
    if (width == gdk_pixbuf_get_width(picture) && height == gdk_pixbuf_get_height(picture))
        return picture;
    GdkPixbuf* scaled = gdk_pixbuf_scale_simple(picture, width, height, GDK_INTERP_NEAREST);
    g_object_unref(picture);
    return scaled;
}

GtkWidget* imageWidget(const AlertImage& image)
{
    GdkPixbuf* picture = pictureOf(image);
    GtkWidget* widget = picture ? gtk_image_new_from_pixbuf(picture) : gtk_image_new();
    if (picture)
        g_object_unref(picture);
    gtk_widget_set_size_request(widget, image.width > 0 ? image.width : -1, image.height > 0 ? image.height : -1);
    return widget;
}

GtkWidget* labelWidget(const AlertLabel& label)
{
    GtkWidget* widget = gtk_label_new(label.text.c_str());
    PangoAttrList* attributes = pango_attr_list_new();
    if (label.monospaced)
        pango_attr_list_insert(attributes, pango_attr_family_new("monospace"));
    if (label.bold)
        pango_attr_list_insert(attributes, pango_attr_weight_new(PANGO_WEIGHT_BOLD));
    if (label.points > 0)
        pango_attr_list_insert(attributes, pango_attr_size_new(static_cast<int>(label.points * PANGO_SCALE)));
    gtk_label_set_attributes(GTK_LABEL(widget), attributes);
    pango_attr_list_unref(attributes);
    gtk_label_set_justify(GTK_LABEL(widget), GTK_JUSTIFY_CENTER);
    gtk_label_set_selectable(GTK_LABEL(widget), TRUE);
    return widget;
}

// The picture above the line, in one centred column.
void addAccessories(GtkMessageDialog* dialog, const AlertContent& request)
{
    if (!request.image && !request.label)
        return;
    GtkWidget* column = gtk_box_new(GTK_ORIENTATION_VERTICAL, 10);
    gtk_widget_set_halign(column, GTK_ALIGN_CENTER);
    if (request.image)
        gtk_box_pack_start(GTK_BOX(column), imageWidget(*request.image), FALSE, FALSE, 0);
    if (request.label)
        gtk_box_pack_start(GTK_BOX(column), labelWidget(*request.label), FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(gtk_message_dialog_get_message_area(dialog)), column, FALSE, FALSE, 0);
    gtk_widget_show_all(column);
}

AlertHandle handleFor(const std::shared_ptr<OpenAlert>& open)
{
    return AlertHandle([weak = std::weak_ptr<OpenAlert>(open)] {
        const auto open = weak.lock();
        if (!open || open->answered)
            return;
        if (auto* dialog = static_cast<GtkWidget*>(g_weak_ref_get(&open->dialog))) {
            gtk_dialog_response(GTK_DIALOG(dialog), GTK_RESPONSE_NONE);
            g_object_unref(dialog);
        }
    });
}

// Paths of the chooser's files; nothing for a cancel.
std::optional<std::vector<std::string>> chosenPaths(GtkFileChooser* chooser)
{
    std::vector<std::string> paths;
    GSList* files = gtk_file_chooser_get_filenames(chooser);
    for (GSList* item = files; item; item = item->next) {
        paths.emplace_back(static_cast<char*>(item->data));
        g_free(item->data);
    }
    g_slist_free(files);
    return paths;
}

void addExtensionFilter(GtkFileChooser* chooser, const std::vector<std::string>& extensions)
{
    if (extensions.empty())
        return;
    GtkFileFilter* filter = gtk_file_filter_new();
    for (const auto& extension : extensions) {
        gtk_file_filter_add_pattern(filter, ("*." + extension).c_str());
        // Patterns match case-sensitively; accept the upper-case spelling too.
        std::string upper = extension;
        for (auto& c : upper)
            c = static_cast<char>(g_ascii_toupper(c));
        gtk_file_filter_add_pattern(filter, ("*." + upper).c_str());
    }
    gtk_file_chooser_set_filter(chooser, filter);
}

// The chooser's one title line: the message when there is one, since it has no message line.
const std::string& titleOf(const FilePanelOptions& request)
{
    return request.message.empty() ? request.title : request.message;
}

const char* acceptLabelOf(const FilePanelOptions& request, const char* standard)
{
    return request.prompt.empty() ? standard : request.prompt.c_str();
}

void applyPlace(GtkFileChooser* chooser, const FilePanelOptions& request)
{
    if (!request.directory.empty())
        gtk_file_chooser_set_current_folder(chooser, request.directory.c_str());
    addExtensionFilter(chooser, request.extensions);
}

GtkFileChooserNative* makeChooser(ui::Window* parent, const FilePanelOptions& request, GtkFileChooserAction action, const char* accept)
{
    GtkFileChooserNative* chooser = gtk_file_chooser_native_new(titleOf(request).c_str(), nativeOf(parent), action,
        acceptLabelOf(request, accept), "Cancel");
    gtk_native_dialog_set_modal(GTK_NATIVE_DIALOG(chooser), TRUE);
    applyPlace(GTK_FILE_CHOOSER(chooser), request);
    return chooser;
}

// Files and folders at once: GTK's open chooser takes only files (accepting a folder goes into
// it), so a second button takes the folders selected, or else the folder shown.
constexpr int kChooseFolderResponse = 1;
constexpr const char* kChooseFolderLabel = "Choose Folder";

std::optional<std::vector<std::string>> chosenFolders(GtkFileChooser* chooser)
{
    std::vector<std::string> folders;
    for (const auto& path : chosenPaths(chooser).value_or(std::vector<std::string> {})) {
        if (g_file_test(path.c_str(), G_FILE_TEST_IS_DIR))
            folders.push_back(path);
    }
    if (!folders.empty())
        return folders;
    gchar* shown = gtk_file_chooser_get_current_folder(chooser);
    if (!shown)
        return std::nullopt;
    folders.emplace_back(shown);
    g_free(shown);
    return folders;
}

void runFileOrFolderChooser(ui::Window* parent, const FilePanelOptions& request,
    std::function<void(std::optional<std::vector<std::string>>)> completion)
{
    GtkWidget* dialog = gtk_file_chooser_dialog_new(titleOf(request).c_str(), nativeOf(parent), GTK_FILE_CHOOSER_ACTION_OPEN,
        "Cancel", GTK_RESPONSE_CANCEL, kChooseFolderLabel, kChooseFolderResponse, acceptLabelOf(request, "Open"), GTK_RESPONSE_ACCEPT,
        nullptr);
    gtk_window_set_modal(GTK_WINDOW(dialog), TRUE);
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_ACCEPT);
    gtk_file_chooser_set_select_multiple(GTK_FILE_CHOOSER(dialog), request.allowsMultiple);
    applyPlace(GTK_FILE_CHOOSER(dialog), request);
    using Completion = std::function<void(std::optional<std::vector<std::string>>)>;
    g_signal_connect_data(dialog, "response", G_CALLBACK(+[](GtkDialog* dialog, int response, gpointer data) {
        const Completion done = std::move(*static_cast<Completion*>(data));
        GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog);
        std::optional<std::vector<std::string>> answer;
        if (response == GTK_RESPONSE_ACCEPT)
            answer = chosenPaths(chooser);
        else if (response == kChooseFolderResponse)
            answer = chosenFolders(chooser);
        gtk_widget_destroy(GTK_WIDGET(dialog));
        if (done)
            done(answer);
    }), new Completion(std::move(completion)), [](gpointer data, GClosure*) { delete static_cast<Completion*>(data); }, GConnectFlags(0));
    gtk_window_present(GTK_WINDOW(dialog));
}

template<typename Completion>
void runChooser(GtkFileChooserNative* chooser, Completion completion,
    std::function<void(GtkFileChooser*, int, Completion&)> answer)
{
    struct Pending {
        Completion completion;
        std::function<void(GtkFileChooser*, int, Completion&)> answer;
    };
    auto* pending = new Pending { std::move(completion), std::move(answer) };
    g_signal_connect(chooser, "response", G_CALLBACK(+[](GtkNativeDialog* dialog, int response, gpointer data) {
        std::unique_ptr<Pending> pending(static_cast<Pending*>(data));
        pending->answer(GTK_FILE_CHOOSER(dialog), response, pending->completion);
        g_object_unref(dialog);
    }), pending);
    gtk_native_dialog_show(GTK_NATIVE_DIALOG(chooser));
}

}

AlertHandle Dialogs::alert(ui::Window* parent, const AlertContent& request, std::function<void(AlertAnswer)> completion)
{
    GtkWidget* dialog = gtk_message_dialog_new(nativeOf(parent), GtkDialogFlags(GTK_DIALOG_MODAL | GTK_DIALOG_DESTROY_WITH_PARENT),
        messageTypeOf(request.style), GTK_BUTTONS_NONE, "%s", request.message.c_str());
    if (!request.informativeText.empty())
        gtk_message_dialog_format_secondary_text(GTK_MESSAGE_DIALOG(dialog), "%s", request.informativeText.c_str());
    // GTK lays buttons out left to right; the default (first) button goes last, at the right.
    for (int i = static_cast<int>(request.buttons.size()) - 1; i >= 0; --i)
        gtk_dialog_add_button(GTK_DIALOG(dialog), request.buttons[static_cast<std::size_t>(i)].c_str(), i);
    if (!request.buttons.empty())
        gtk_dialog_set_default_response(GTK_DIALOG(dialog), 0);
    auto open = std::make_shared<OpenAlert>();
    open->completion = std::move(completion);
    if (request.cancelButton && *request.cancelButton >= 0 && static_cast<std::size_t>(*request.cancelButton) < request.buttons.size())
        open->cancelButton = request.cancelButton;
    g_weak_ref_set(&open->dialog, dialog);
    if (request.showsSuppression) {
        open->suppression = gtk_check_button_new_with_label(request.suppressionText.c_str());
        GtkWidget* area = gtk_message_dialog_get_message_area(GTK_MESSAGE_DIALOG(dialog));
        gtk_box_pack_end(GTK_BOX(area), open->suppression, FALSE, FALSE, 0);
        gtk_widget_show(open->suppression);
    }
    addAccessories(GTK_MESSAGE_DIALOG(dialog), request);
    addTextFields(GTK_MESSAGE_DIALOG(dialog), request.textFields, open->fields);
    g_signal_connect_data(dialog, "response", G_CALLBACK(answerAlert), new std::shared_ptr<OpenAlert>(open),
        [](gpointer data, GClosure*) { delete static_cast<std::shared_ptr<OpenAlert>*>(data); }, GConnectFlags(0));
    if (request.keepAbove)
        gtk_window_set_keep_above(GTK_WINDOW(dialog), TRUE);
    gtk_window_present(GTK_WINDOW(dialog));
    return handleFor(open);
}

void Dialogs::openPanel(ui::Window* parent, const FilePanelOptions& request,
    std::function<void(std::optional<std::vector<std::string>>)> completion)
{
    if (request.chooseFiles && request.chooseDirectories) {
        runFileOrFolderChooser(parent, request, std::move(completion));
        return;
    }
    const auto action = request.chooseDirectories ? GTK_FILE_CHOOSER_ACTION_SELECT_FOLDER : GTK_FILE_CHOOSER_ACTION_OPEN;
    GtkFileChooserNative* chooser = makeChooser(parent, request, action, "Open");
    gtk_file_chooser_set_select_multiple(GTK_FILE_CHOOSER(chooser), request.allowsMultiple);
    using Completion = std::function<void(std::optional<std::vector<std::string>>)>;
    runChooser<Completion>(chooser, std::move(completion), [](GtkFileChooser* chooser, int response, Completion& done) {
        done(response == GTK_RESPONSE_ACCEPT ? chosenPaths(chooser) : std::nullopt);
    });
}

void Dialogs::savePanel(ui::Window* parent, const FilePanelOptions& request, std::function<void(std::optional<std::string>)> completion)
{
    GtkFileChooserNative* chooser = makeChooser(parent, request, GTK_FILE_CHOOSER_ACTION_SAVE, "Save");
    gtk_file_chooser_set_do_overwrite_confirmation(GTK_FILE_CHOOSER(chooser), TRUE);
    if (!request.suggestedName.empty())
        gtk_file_chooser_set_current_name(GTK_FILE_CHOOSER(chooser), request.suggestedName.c_str());
    using Completion = std::function<void(std::optional<std::string>)>;
    runChooser<Completion>(chooser, std::move(completion), [](GtkFileChooser* chooser, int response, Completion& done) {
        const auto paths = response == GTK_RESPONSE_ACCEPT ? chosenPaths(chooser) : std::nullopt;
        done(paths && !paths->empty() ? std::optional<std::string>(paths->front()) : std::nullopt);
    });
}

}
