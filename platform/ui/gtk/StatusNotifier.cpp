#include "platform/ui/gtk/StatusNotifier.h"

#include "platform/core/GObjectRef.h"
#include "platform/ui/gtk/MenuWidgets.h"

#include <libayatana-appindicator/app-indicator.h>

#include <glib/gstdio.h>

namespace ikw::ui::gtk3 {

namespace {

constexpr int kPanelIconSize = 18;

// The file name without its folder and extension.
std::string stemOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (const auto dot = name.find_last_of('.'); dot != std::string::npos && dot > 0)
        name.erase(dot);
    return name;
}

class IndicatorItem final : public StatusItem {
public:
    explicit IndicatorItem(const StatusItemOptions& options)
        : m_options(options)
        , m_indicator(GObjectRef<AppIndicator>::adopt(app_indicator_new(options.id.c_str(), "", APP_INDICATOR_CATEGORY_APPLICATION_STATUS)))
    {
        app_indicator_set_title(m_indicator.get(), options.title.c_str());
        app_indicator_set_status(m_indicator.get(), APP_INDICATOR_STATUS_ACTIVE);
    }

    ~IndicatorItem() override
    {
        app_indicator_set_status(m_indicator.get(), APP_INDICATOR_STATUS_PASSIVE);
        destroyMenu();
    }

    IndicatorItem(const IndicatorItem&) = delete;
    IndicatorItem& operator=(const IndicatorItem&) = delete;

    bool setIcon(const std::string& imagePath) override
    {
        // The host reads the icon from a file of the panel's size, named by the icon it shows.
        GError* error = nullptr;
        auto scaled = GObjectRef<GdkPixbuf>::adopt(gdk_pixbuf_new_from_file_at_size(imagePath.c_str(), kPanelIconSize, kPanelIconSize, &error));
        if (!scaled) {
            g_clear_error(&error);
            return false;
        }
        if (g_mkdir_with_parents(m_options.iconFolder.c_str(), 0700) != 0)
            return false;
        const std::string name = m_options.id + "-" + stemOf(imagePath);
        const std::string file = m_options.iconFolder + "/" + name + ".png";
        const std::string partial = file + ".part";
        if (!gdk_pixbuf_save(scaled.get(), partial.c_str(), "png", &error, nullptr) || g_rename(partial.c_str(), file.c_str()) != 0) {
            g_clear_error(&error);
            g_remove(partial.c_str());
            return false;
        }
        app_indicator_set_icon_theme_path(m_indicator.get(), m_options.iconFolder.c_str());
        app_indicator_set_icon_full(m_indicator.get(), name.c_str(), m_options.title.c_str());
        return true;
    }

    void setLabel(const std::string& label) override
    {
        app_indicator_set_label(m_indicator.get(), label.c_str(), label.c_str());
    }

    void setMenu(std::shared_ptr<const Menu> menu, MenuResponder responder) override
    {
        GtkWidget* widget = buildPopUpMenu(std::move(menu), std::move(responder));
        g_object_ref_sink(widget);
        gtk_widget_show_all(widget);
        app_indicator_set_menu(m_indicator.get(), GTK_MENU(widget));
        destroyMenu();
        m_menu = widget;
    }

private:
    void destroyMenu()
    {
        if (GtkWidget* old = std::exchange(m_menu, nullptr)) {
            gtk_widget_destroy(old);
            g_object_unref(old);
        }
    }

    StatusItemOptions m_options;
    GObjectRef<AppIndicator> m_indicator;
    GtkWidget* m_menu = nullptr; // one reference of our own
};

class IndicatorStatusBar final : public StatusBar {
public:
    std::unique_ptr<StatusItem> addItem(const StatusItemOptions& options) override { return std::make_unique<IndicatorItem>(options); }
};

}

std::unique_ptr<StatusBar> makeIndicatorStatusBar()
{
    return std::make_unique<IndicatorStatusBar>();
}

}
