#include "permission-wizard/setup/FullDiskAccess.h"

#include "permission-wizard/setup/AppMark.h"
#include "permission-wizard/setup/FdaBanner.h"
#include "platform/ui/Desktop.h"
#include "platform/ui/WebView.h"
#include "platform/ui/Window.h"
#include "review/PanelWC.h"
#include "review/ReviewWC.h"

#include <array>
#include <string_view>

namespace ikw::setup {

namespace {

constexpr std::string_view kFirstLaunchKey = "didFirstLaunch";

// Tried in order; the first the desktop opens wins. None opens on a desktop without the pane.
constexpr std::array<std::string_view, 3> kFullDiskAccessPanes {
    "x-apple.systempreferences:com.apple.preference.security?Privacy_AllFiles",
    "x-apple.systempreferences:com.apple.settings.PrivacySecurity.extension?Privacy_AllFiles",
    "x-apple.systempreferences:com.apple.preference.security",
};

void evaluate(ui::WebView& web, std::string_view script)
{
    web.evaluate(std::string(script), {});
}

}

struct FullDiskAccess::Watch {
    std::weak_ptr<FullDiskAccess> owner;
    std::weak_ptr<PanelWC> panel;
    int ticks = 0;
};

std::shared_ptr<FullDiskAccess> FullDiskAccess::create(FullDiskAccessParts parts)
{
    return std::shared_ptr<FullDiskAccess>(new FullDiskAccess(std::move(parts)));
}

bool FullDiskAccess::hasFDA() const
{
    return !m_parts.probe || m_parts.probe();
}

void FullDiskAccess::maybeFirstRunFDA()
{
    if (!m_parts.defaults || m_parts.defaults->boolean(kFirstLaunchKey).value_or(false))
        return;
    m_parts.defaults->set(kFirstLaunchKey, true);
    if (hasFDA())
        return;
    mainQueue().postAfter(kFirstRunDelaySeconds, [weak = weak_from_this()] {
        if (const auto self = weak.lock())
            self->grantFullDiskAccess();
    });
}

void FullDiskAccess::grantFullDiskAccess()
{
    if (m_parts.openPanel)
        m_parts.openPanel("fda", { "--fda", hasFDA() ? "1" : "0", "--icon", appMarkPNG() });
}

void FullDiskAccess::openFDASettings()
{
    if (!m_parts.workspace)
        return;
    for (const std::string_view pane : kFullDiskAccessPanes) {
        if (m_parts.workspace->openUrl(std::string(pane)))
            return;
    }
}

void FullDiskAccess::watchForFDA(const std::shared_ptr<PanelWC>& panel)
{
    m_fdaWatch.cancel();
    if (!panel)
        return;
    evaluate(panel->web(), "if(window.__fdaWatching)__fdaWatching()");
    auto watch = std::make_shared<Watch>(Watch { weak_from_this(), panel, 0 });
    m_fdaWatch = mainQueue().schedule(kWatchIntervalSeconds, true, [watch] { tick(watch); });
}

void FullDiskAccess::tick(const std::shared_ptr<Watch>& watch)
{
    const auto self = watch->owner.lock();
    if (!self)
        return;
    const auto panel = watch->panel.lock();
    if (!panel || !panel->isVisible()) {
        self->m_fdaWatch.cancel();
        return;
    }
    ++watch->ticks;
    if (!self->hasFDA()) {
        if (watch->ticks >= kWatchTickLimit)
            self->m_fdaWatch.cancel();
        return;
    }
    self->m_fdaWatch.cancel();
    self->granted(*panel);
}

void FullDiskAccess::granted(PanelWC& panel)
{
    evaluate(panel.web(), "if(window.__fdaGranted)__fdaGranted()");
    panel.window().present();
    if (m_parts.reloadSettingsPanelIfOpen)
        m_parts.reloadSettingsPanelIfOpen();
    if (!m_parts.openWindows)
        return;
    for (const auto& window : m_parts.openWindows()) {
        if (window)
            evaluate(window->webView(), kFdaBannerRemovalScript);
    }
}

void FullDiskAccess::injectFDABanner(ReviewWC& window)
{
    if (hasFDA())
        return;
    evaluate(window.webView(), fdaBannerScript(appMarkPNG()));
}

std::string FullDiskAccess::appMarkPNG() const
{
    return writeAppMark(m_parts.iconPath ? m_parts.iconPath() : std::string(), m_parts.markFolder);
}

}
