#include "platform/ui/gtk/Desktop.h"

#include "platform/core/GObjectRef.h"
#include "platform/core/Log.h"
#include "platform/core/Paths.h"

#include <gio/gdesktopappinfo.h>
#include <gtk/gtk.h>

#include <chrono>
#include <filesystem>
#include <memory>

namespace ikw::ui::gtk3 {

namespace {

std::optional<std::string> fileUri(const std::string& path)
{
    char* uri = g_filename_to_uri(path.c_str(), nullptr, nullptr);
    if (!uri)
        return std::nullopt;
    std::string text = uri;
    g_free(uri);
    return text;
}

}

bool launchDefaultApplication(const std::string& uri)
{
    GError* error = nullptr;
    if (g_app_info_launch_default_for_uri(uri.c_str(), nullptr, &error))
        return true;
    logLine(std::string("no application opened ") + uri + ": " + (error ? error->message : "unknown error"));
    if (error)
        g_error_free(error);
    return false;
}

namespace {

class ApplicationInhibit final : public KeepAwakeToken {
public:
    ApplicationInhibit(GtkApplication* application, unsigned cookie) : m_application(application), m_cookie(cookie) {}
    ~ApplicationInhibit() override { gtk_application_uninhibit(m_application, m_cookie); }

private:
    GtkApplication* m_application;
    unsigned m_cookie;
};

class ScreenSaverInhibit final : public KeepAwakeToken {
public:
    explicit ScreenSaverInhibit(GDBusConnection* bus, unsigned cookie) : m_bus(bus), m_cookie(cookie) {}
    ~ScreenSaverInhibit() override
    {
        g_dbus_connection_call(m_bus, "org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver", "org.freedesktop.ScreenSaver",
            "UnInhibit", g_variant_new("(u)", m_cookie), nullptr, G_DBUS_CALL_FLAGS_NONE, 2000, nullptr, nullptr, nullptr);
        g_object_unref(m_bus);
    }

private:
    GDBusConnection* m_bus;
    unsigned m_cookie;
};

// Holds nothing: there is no service to ask.
class NoInhibit final : public KeepAwakeToken { };

}

void Clipboard::setText(const std::string& text)
{
    gtk_clipboard_set_text(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD), text.c_str(), static_cast<gint>(text.size()));
    gtk_clipboard_store(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD));
}

std::optional<std::string> Clipboard::text() const
{
    char* text = gtk_clipboard_wait_for_text(gtk_clipboard_get(GDK_SELECTION_CLIPBOARD));
    if (!text)
        return std::nullopt;
    std::string value = text;
    g_free(text);
    return value;
}

namespace {

// The clipboard's copy of the files, offered as a URI list, as the GNOME file managers' own
// "copy" form and as plain text (the paths).
struct ClipboardFiles {
    std::vector<std::string> paths;
    std::vector<std::string> uris;
};

enum ClipboardTarget : guint { UriList, CopiedFiles, PlainText };

void provideFiles(GtkClipboard*, GtkSelectionData* selection, guint target, gpointer data)
{
    const auto& files = *static_cast<const ClipboardFiles*>(data);
    std::string text;
    const auto join = [&](const std::vector<std::string>& items, const char* separator) {
        for (std::size_t i = 0; i < items.size(); ++i)
            text += (i ? separator : "") + items[i];
    };
    if (target == UriList)
        join(files.uris, "\r\n");
    else if (target == CopiedFiles) {
        text = "copy\n";
        join(files.uris, "\n");
    } else
        join(files.paths, "\n");
    gtk_selection_data_set(selection, gtk_selection_data_get_target(selection), 8,
        reinterpret_cast<const guchar*>(text.data()), static_cast<gint>(text.size()));
}

void releaseFiles(GtkClipboard*, gpointer data)
{
    delete static_cast<ClipboardFiles*>(data);
}

}

void Clipboard::setFiles(const std::vector<std::string>& paths)
{
    auto files = std::make_unique<ClipboardFiles>();
    for (const auto& path : paths) {
        if (auto uri = fileUri(path)) {
            files->paths.push_back(path);
            files->uris.push_back(std::move(*uri));
        }
    }
    static const GtkTargetEntry targets[] = {
        { const_cast<char*>("text/uri-list"), 0, UriList },
        { const_cast<char*>("x-special/gnome-copied-files"), 0, CopiedFiles },
        { const_cast<char*>("UTF8_STRING"), 0, PlainText },
        { const_cast<char*>("text/plain;charset=utf-8"), 0, PlainText },
    };
    GtkClipboard* clipboard = gtk_clipboard_get(GDK_SELECTION_CLIPBOARD);
    // The clipboard owns the copy from here on and hands it back through releaseFiles.
    if (gtk_clipboard_set_with_data(clipboard, targets, G_N_ELEMENTS(targets), provideFiles, releaseFiles, files.get()))
        files.release();
    gtk_clipboard_store(clipboard);
}

bool Workspace::openUrl(const std::string& url)
{
    return m_launch(url);
}

bool Workspace::openFile(const std::string& path)
{
    const auto uri = fileUri(path);
    return uri && m_launch(*uri);
}

namespace {

// The file's own type when it can be read, else the guess from its name; "" when neither answers.
std::string contentTypeOf(const std::string& path)
{
    const auto file = GObjectRef<GFile>::adopt(g_file_new_for_path(path.c_str()));
    const auto info = GObjectRef<GFileInfo>::adopt(
        g_file_query_info(file.get(), G_FILE_ATTRIBUTE_STANDARD_CONTENT_TYPE, G_FILE_QUERY_INFO_NONE, nullptr, nullptr));
    if (info && g_file_info_get_content_type(info.get()))
        return g_file_info_get_content_type(info.get());
    char* guessed = g_content_type_guess(path.c_str(), nullptr, 0, nullptr);
    std::string type = guessed ? guessed : "";
    g_free(guessed);
    return type;
}

// The file of the application's desktop entry; "" for an application that has none.
std::string entryFileOf(GAppInfo* application)
{
    const char* file = G_IS_DESKTOP_APP_INFO(application) ? g_desktop_app_info_get_filename(G_DESKTOP_APP_INFO(application)) : nullptr;
    return file ? file : "";
}

std::optional<std::chrono::system_clock::time_point> modificationTime(const std::string& path)
{
    std::error_code error;
    const auto written = std::filesystem::last_write_time(path, error);
    if (error)
        return std::nullopt;
    return std::chrono::time_point_cast<std::chrono::system_clock::duration>(std::chrono::file_clock::to_sys(written));
}

}

std::optional<DesktopApplication> Workspace::defaultApplicationFor(const std::string& path)
{
    return defaultApplicationForType(contentTypeOf(path));
}

std::optional<DesktopApplication> Workspace::defaultApplicationForType(const std::string& contentType)
{
    if (contentType.empty())
        return std::nullopt;
    const auto application = GObjectRef<GAppInfo>::adopt(g_app_info_get_default_for_type(contentType.c_str(), FALSE));
    if (!application)
        return std::nullopt;
    const char* id = g_app_info_get_id(application.get());
    const char* name = g_app_info_get_name(application.get());
    return DesktopApplication { id ? id : "", name ? name : "", entryFileOf(application.get()) };
}

std::vector<ApplicationEntry> Workspace::applicationsFor(const std::string& path)
{
    const std::string type = contentTypeOf(path);
    std::vector<ApplicationEntry> entries;
    if (type.empty())
        return entries;
    GList* all = g_app_info_get_all_for_type(type.c_str());
    for (GList* item = all; item; item = item->next) {
        auto* application = G_APP_INFO(item->data);
        std::string file = entryFileOf(application);
        // Only what a desktop entry describes can be told apart, ranked and started again.
        if (file.empty())
            continue;
        const char* id = g_app_info_get_id(application);
        const char* name = g_app_info_get_name(application);
        auto modified = modificationTime(file);
        entries.push_back({ std::move(file), id ? id : "", name ? name : "", {}, modified });
    }
    g_list_free_full(all, g_object_unref);
    return entries;
}

bool Workspace::openFileWith(const std::string& path, const std::string& applicationId)
{
    const auto application = GObjectRef<GDesktopAppInfo>::adopt(applicationId.starts_with('/')
            ? g_desktop_app_info_new_from_filename(applicationId.c_str())
            : g_desktop_app_info_new(applicationId.c_str()));
    if (!application)
        return false;
    const auto file = GObjectRef<GFile>::adopt(g_file_new_for_path(path.c_str()));
    GList files { file.get(), nullptr, nullptr };
    GError* error = nullptr;
    if (g_app_info_launch(G_APP_INFO(application.get()), &files, nullptr, &error))
        return true;
    logLine("could not open " + path + " with " + applicationId + ": " + (error ? error->message : "unknown error"));
    if (error)
        g_error_free(error);
    return false;
}

void DefaultApplications::setDefault(const std::string& applicationId, const std::string& contentType,
    std::function<void(std::optional<std::string> error)> done)
{
    const auto application = GObjectRef<GDesktopAppInfo>::adopt(g_desktop_app_info_new(applicationId.c_str()));
    if (!application) {
        done("no installed application " + applicationId);
        return;
    }
    GError* error = nullptr;
    if (g_app_info_set_as_default_for_type(G_APP_INFO(application.get()), contentType.c_str(), &error)) {
        done(std::nullopt);
        return;
    }
    std::string reason = error ? error->message : "unknown error";
    if (error)
        g_error_free(error);
    done(std::move(reason));
}

namespace {

// The pixbuf's pixels as RGBA rows without padding.
std::vector<std::uint8_t> rgbaOf(GdkPixbuf* pixbuf)
{
    const auto withAlpha = GObjectRef<GdkPixbuf>::adopt(gdk_pixbuf_add_alpha(pixbuf, FALSE, 0, 0, 0));
    const int width = gdk_pixbuf_get_width(withAlpha.get());
    const int height = gdk_pixbuf_get_height(withAlpha.get());
    const int stride = gdk_pixbuf_get_rowstride(withAlpha.get());
    const guchar* pixels = gdk_pixbuf_read_pixels(withAlpha.get());
    std::vector<std::uint8_t> rgba;
    rgba.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
    for (int row = 0; row < height; ++row) {
        const guchar* start = pixels + static_cast<std::ptrdiff_t>(row) * stride;
        rgba.insert(rgba.end(), start, start + static_cast<std::ptrdiff_t>(width) * 4);
    }
    return rgba;
}

}

std::optional<ApplicationIcon> Workspace::applicationIcon(const std::string& applicationId, int side)
{
    GtkIconTheme* theme = gdk_screen_get_default() ? gtk_icon_theme_get_default() : nullptr;
    const auto application = GObjectRef<GDesktopAppInfo>::adopt(g_desktop_app_info_new(applicationId.c_str()));
    GIcon* icon = application ? g_app_info_get_icon(G_APP_INFO(application.get())) : nullptr;
    if (!theme || !icon || side <= 0)
        return std::nullopt;
    const auto info = GObjectRef<GtkIconInfo>::adopt(gtk_icon_theme_lookup_by_gicon(theme, icon, side, GTK_ICON_LOOKUP_FORCE_SIZE));
    if (!info)
        return std::nullopt;
    const auto loaded = GObjectRef<GdkPixbuf>::adopt(gtk_icon_info_load_icon(info.get(), nullptr));
    if (!loaded)
        return std::nullopt;
    // Forcing the size still leaves a non-square image its proportions.
    const GObjectRef<GdkPixbuf> square = gdk_pixbuf_get_width(loaded.get()) == side && gdk_pixbuf_get_height(loaded.get()) == side
        ? loaded
        : GObjectRef<GdkPixbuf>::adopt(gdk_pixbuf_scale_simple(loaded.get(), side, side, GDK_INTERP_BILINEAR));
    if (!square)
        return std::nullopt;
    const char* file = gtk_icon_info_get_filename(info.get());
    return ApplicationIcon { file ? file : "", side, side, rgbaOf(square.get()) };
}

void Workspace::revealFile(const std::string& path)
{
    const auto uri = fileUri(path);
    if (!uri)
        return;
    GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
    if (!bus) {
        openFile(parentPath(path));
        return;
    }
    const char* uris[] = { uri->c_str(), nullptr };
    struct Fallback {
        std::function<bool(const std::string&)> launch;
        std::optional<std::string> folderUri;
    };
    auto* fallback = new Fallback { m_launch, fileUri(parentPath(path)) };
    // Without a file manager that offers the selection service, open the folder instead.
    g_dbus_connection_call(bus, "org.freedesktop.FileManager1", "/org/freedesktop/FileManager1", "org.freedesktop.FileManager1",
        "ShowItems", g_variant_new("(^ass)", uris, ""), nullptr, G_DBUS_CALL_FLAGS_NONE, 5000, nullptr,
        +[](GObject* source, GAsyncResult* result, gpointer data) {
            std::unique_ptr<Fallback> fallback(static_cast<Fallback*>(data));
            GError* error = nullptr;
            if (GVariant* reply = g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, &error)) {
                g_variant_unref(reply);
                return;
            }
            g_error_free(error);
            if (fallback->folderUri)
                fallback->launch(*fallback->folderUri);
        },
        fallback);
    g_object_unref(bus);
}

void Workspace::showItemProperties(const std::string& path)
{
    const auto uri = fileUri(path);
    if (!uri)
        return;
    GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
    if (!bus)
        return;
    const char* uris[] = { uri->c_str(), nullptr };
    // The path travels as a D-Bus string: nothing in it needs quoting. The answer is not wanted.
    g_dbus_connection_call(bus, "org.freedesktop.FileManager1", "/org/freedesktop/FileManager1", "org.freedesktop.FileManager1",
        "ShowItemProperties", g_variant_new("(^ass)", uris, ""), nullptr, G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, nullptr, nullptr);
    g_object_unref(bus);
}

std::unique_ptr<KeepAwakeToken> KeepAwake::hold(const std::string& reason)
{
    GApplication* application = g_application_get_default();
    if (application && GTK_IS_APPLICATION(application)) {
        const unsigned cookie = gtk_application_inhibit(GTK_APPLICATION(application), nullptr,
            GtkApplicationInhibitFlags(GTK_APPLICATION_INHIBIT_IDLE | GTK_APPLICATION_INHIBIT_SUSPEND), reason.c_str());
        if (cookie)
            return std::make_unique<ApplicationInhibit>(GTK_APPLICATION(application), cookie);
    }
    GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
    if (!bus)
        return std::make_unique<NoInhibit>();
    GVariant* reply = g_dbus_connection_call_sync(bus, "org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver",
        "org.freedesktop.ScreenSaver", "Inhibit", g_variant_new("(ss)", g_get_prgname() ? g_get_prgname() : "application", reason.c_str()), G_VARIANT_TYPE("(u)"),
        G_DBUS_CALL_FLAGS_NONE, 2000, nullptr, nullptr);
    if (!reply) {
        g_object_unref(bus);
        return std::make_unique<NoInhibit>();
    }
    unsigned cookie = 0;
    g_variant_get(reply, "(u)", &cookie);
    g_variant_unref(reply);
    return std::make_unique<ScreenSaverInhibit>(bus, cookie);
}

}
