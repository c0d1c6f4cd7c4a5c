#include "platform/ui/gtk/GtkToolkit.h"

#include "platform/ui/gtk/Desktop.h"
#include "platform/ui/gtk/Dialogs.h"
#include "platform/ui/gtk/GtkSetup.h"
#include "platform/ui/gtk/PageEditor.h"
#include "platform/ui/gtk/Printing.h"
#include "platform/ui/gtk/StatusNotifier.h"
#include "platform/ui/gtk/WebView.h"
#include "platform/ui/gtk/Window.h"

namespace ikw::ui::gtk3 {

namespace {

class GtkToolkit final : public Toolkit {
public:
    std::shared_ptr<ui::WebContext> makeWebContext() override { return std::make_shared<WebContext>(); }

    std::shared_ptr<ui::WebView> makeWebView(const std::shared_ptr<ui::WebContext>& context, const WebViewOptions& options) override
    {
        auto gtkContext = std::dynamic_pointer_cast<WebContext>(context);
        if (!gtkContext)
            gtkContext = std::make_shared<WebContext>();
        return std::make_shared<WebView>(std::move(gtkContext), options);
    }

    std::shared_ptr<ui::Window> makeWindow(const WindowOptions& options) override { return std::make_shared<Window>(options); }

    std::shared_ptr<ui::PageEditor> makePageEditor(const EditorChrome& chrome) override { return std::make_shared<PageEditor>(chrome); }

    bool hasFontFamily(const std::string& family) override
    {
        // Only families Pango lists: fontconfig would substitute another font for any name.
        PangoFontMap* fonts = pango_cairo_font_map_get_default();
        PangoFontFamily** families = nullptr;
        int count = 0;
        pango_font_map_list_families(fonts, &families, &count);
        bool found = false;
        for (int i = 0; i < count && !found; ++i)
            found = g_ascii_strcasecmp(pango_font_family_get_name(families[i]), family.c_str()) == 0;
        g_free(families);
        return found;
    }

    void setPrefersDark(bool dark) override
    {
        g_object_set(gtk_settings_get_default(), "gtk-application-prefer-dark-theme", dark ? TRUE : FALSE, nullptr);
    }

    void beep() override
    {
        if (GdkDisplay* display = gdk_display_get_default())
            gdk_display_beep(display);
    }

    bool setDefaultIcon(const std::string& imagePath) override
    {
        GdkPixbuf* image = gdk_pixbuf_new_from_file(imagePath.c_str(), nullptr);
        if (!image)
            return false;
        gtk_window_set_default_icon(image);
        g_object_unref(image);
        return true;
    }

    ui::Dialogs& dialogs() override { return m_dialogs; }
    ui::Clipboard& clipboard() override { return m_clipboard; }
    ui::Workspace& workspace() override { return m_workspace; }
    ui::KeepAwake& keepAwake() override { return m_keepAwake; }
    ui::Printing& printing() override { return m_printing; }
    ui::StatusBar& statusBar() override { return *m_statusBar; }

private:
    Dialogs m_dialogs;
    Clipboard m_clipboard;
    Workspace m_workspace;
    KeepAwake m_keepAwake;
    Printing m_printing;
    std::unique_ptr<ui::StatusBar> m_statusBar = makeIndicatorStatusBar();
};

}

std::unique_ptr<Toolkit> makeGtkToolkit()
{
    prepareWebKitEnvironment();
    return std::make_unique<GtkToolkit>();
}

}
