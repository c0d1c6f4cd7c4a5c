#pragma once

#include "permission-wizard/KDPermissionWizardView.h"
#include "permission-wizard/WizardPresenter.h"
#include "platform/core/GObjectRef.h"
#include "platform/ui/Desktop.h"

#include <gtk/gtk.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ikw::wizard::gtk {

// What the wizard's windows need from the application.
struct WizardDisplay {
    // Whether the application looks dark now; asked on every redraw.
    std::function<bool()> isDark;
    // Opens the settings panes and shows the bundle in the file manager.
    std::shared_ptr<ui::Workspace> workspace;
    // The application's icon file, drawn for the mark when the windows have no default icon.
    std::string appIconPath;
};

// The wizard's window on GTK 3: a fixed-size, centred window of widgets without a title bar of
// its own, only a close button floating over the content, redrawn from the view on every change. The title-bar close
// hides it; destroying the handle destroys it.
class GtkWizardWindow final : public WizardWindow {
public:
    GtkWizardWindow(std::shared_ptr<KDPermissionWizardView> view, const WizardWindowSpec& spec, const WizardDisplay& display);
    ~GtkWizardWindow() override;
    GtkWizardWindow(const GtkWizardWindow&) = delete;
    GtkWizardWindow& operator=(const GtkWizardWindow&) = delete;

    void bringForward() override;
    // Draws the current screen again, with the brand resolved for the appearance now.
    void rebuild();

    GtkWindow* window() const { return GTK_WINDOW(m_window); }
    // Stays alive exactly as long as this window: the presenter's way to find the windows alive.
    std::weak_ptr<GtkWizardWindow*> aliveToken() const { return m_alive; }

private:
    void applyStyle(const KDResolvedBrand& brand);
    void followSettings();

    std::shared_ptr<KDPermissionWizardView> m_view;
    WizardDisplay m_display;
    GtkWidget* m_window;
    GtkWidget* m_overlay;
    GtkWidget* m_body = nullptr;
    GObjectRef<GtkCssProvider> m_css;
    GObjectRef<GtkSettings> m_settings;
    gulong m_settingsHandler = 0;
    std::shared_ptr<GtkWizardWindow*> m_alive = std::make_shared<GtkWizardWindow*>(this);
};

// Makes GtkWizardWindows, and draws the ones alive again when the application's look changes.
class GtkWizardPresenter final : public WizardPresenter {
public:
    explicit GtkWizardPresenter(WizardDisplay display) : m_display(std::move(display)) {}

    std::unique_ptr<WizardWindow> makeWindow(std::shared_ptr<KDPermissionWizardView> view, const WizardWindowSpec& spec) override;
    // The host calls this when the application turns light or dark.
    void appearanceChanged();

private:
    WizardDisplay m_display;
    std::vector<std::weak_ptr<GtkWizardWindow*>> m_windows;
};

}
