#include "app/AppDelegate.h"

#include "app/Globals.h"
#include "app/HiddenPageCleanup.h"
#include "app/RecentItems.h"
#include "app/Settings.h"
#include "app/Shortcuts.h"
#include "app/StatusMenu.h"
#include "platform/core/TaskQueue.h"
#include "platform/ui/Application.h"
#include "platform/ui/Toolkit.h"

#include <chrono>
#include <filesystem>
#include <utility>

namespace ikw {

namespace {

AppDelegate* g_delegate = nullptr; // main thread only

void run(const std::function<void()>& step)
{
    if (step)
        step();
}

}

AppDelegate::AppDelegate(LaunchServices services, DelegateParts parts)
    : m_services(std::move(services))
    , m_parts(std::move(parts))
{
    AppearanceHooks hooks = m_services.appearance;
    hooks.windows = m_parts.windows;
    if (!hooks.rebuildMenu)
        hooks.rebuildMenu = [this] { rebuildMenu(); };
    hooks.setAppAppearance = [this](AppAppearance forced) {
        appAppearance = forced;
        if (m_parts.toolkit)
            m_parts.toolkit->setPrefersDark(effectiveIsDark());
    };
    hooks.effectiveIsDark = [this] { return effectiveIsDark(); };
    hooks.applyAppIcon = [this] { m_settings->applyAppIcon(); };
    m_appearance = std::make_unique<NightDriver>(std::move(hooks));
    m_settings = std::make_unique<SettingsHandler>(*m_appearance, SettingsHandlerHooks {
        .windows = m_parts.windows,
        .toolkit = m_parts.toolkit,
        .setStatusItemIcon = [this](const std::string& iconPath) { m_menuBarItem->setIcon(iconPath); },
    });
    m_menuBarItem = std::make_unique<MenuBarItem>(MenuBarItemParts {
        .bar = m_parts.toolkit ? &m_parts.toolkit->statusBar() : nullptr,
        .brand = globals().brand,
        .id = kApplicationId,
        .iconFolder = globals().paths.caches(kApplicationId) + "/status-icons",
        .iconPath = [this] { return m_settings->appIconPath(); },
        .responder = m_services.windowlessMenuResponder,
    });
    m_settings->reactions().add("menu_bar_icon", [this](const std::string&) { updateMenuBar(); });
    if (m_services.addConfigReactions)
        m_services.addConfigReactions(m_settings->reactions());
}

void AppDelegate::applicationDidFinishLaunching()
{
    migrateLegacySupportDir();
    run(m_services.loadClosedTabs);
    m_utility->post([archive = globals().archive, launched = std::filesystem::file_time_type::clock::now()] {
        removeStaleHiddenPages(archive);
        // Rewrites that a killed run left half done beside the documents it worked on.
        std::vector<std::string> files;
        std::vector<std::string> folders;
        for (const RecentItem& item : readRecentItems(appUserDefaults(), 0))
            (item.isDir ? folders : files).push_back(item.path);
        for (const std::string& folder : recentDocumentFolders(files, folders))
            removeStaleRewriteFiles(folder, launched);
    });
    // The look, the desktop's changes, the night flip and waking, the icon.
    m_appearance->applyAppearance();
    observeDesktopAppearance();
    m_appearance->scheduleNightFlip();
    observeWake();
    m_settings->applyAppIcon();
    run(m_services.noteSession);
    if (m_services.migrateRecents) {
        const double now = std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
        m_services.migrateRecents(readRecentItems(appUserDefaults(), now));
    }
    rebuildMenu();
    updateMenuBar();
    if (m_services.provideServices && m_parts.application)
        m_services.provideServices(*m_parts.application);
    exportDockMenu();
    run(m_services.configurePermissions);
    observeBecameActive([weak = weak_from_this()] {
        if (auto delegate = weak.lock()) {
            run(delegate->m_services.refreshPermissionState);
            delegate->m_appearance->syncWebSurfacesToSystem();
        }
    });
    run(m_services.maybeFirstRunFDA);
    afterLaunch(kPermissionWizardDelaySeconds, &AppDelegate::presentPermissionsUnlessSomethingOpened);
    afterLaunch(kWelcomeDelaySeconds, &AppDelegate::showWelcomeUnlessSomethingOpened);
    if (m_services.scheduleAttachSweep) {
        m_services.scheduleAttachSweep();
        observeBecameActive(m_services.scheduleAttachSweep);
    }
    run(m_services.setupAutoUpdate);
    run(m_services.setupFeedback);
    if (m_services.startAgentBridge)
        m_services.startAgentBridge(weak_from_this());
    if (m_services.startPairBeacon)
        m_services.startPairBeacon(weak_from_this());
}

void AppDelegate::observeDesktopAppearance()
{
    if (!m_parts.systemAppearance)
        return;
    m_parts.systemAppearance->setChangeHandler([weak = weak_from_this()] {
        if (auto delegate = weak.lock())
            delegate->m_appearance->systemAppearanceChanged();
    });
}

void AppDelegate::observeWake()
{
    if (!m_parts.wakeMonitor)
        return;
    m_parts.wakeMonitor->setWakeHandler([weak = weak_from_this()] {
        if (auto delegate = weak.lock())
            delegate->m_appearance->nightWakeCheck();
    });
}

void AppDelegate::applicationDidBecomeActive()
{
    // An observer may end its own subscription while it runs.
    const auto observers = m_activationObservers;
    for (const auto& [id, observer] : observers) {
        if (observer)
            observer();
    }
}

std::function<void()> AppDelegate::observeBecameActive(std::function<void()> handler)
{
    const std::uint64_t id = m_nextObserver++;
    m_activationObservers.emplace(id, std::move(handler));
    return [weak = weak_from_this(), id] {
        if (auto delegate = weak.lock())
            delegate->m_activationObservers.erase(id);
    };
}

void AppDelegate::showWelcomeUnlessSomethingOpened()
{
    // Started by the session bus, the program answers the request that started it (which may reach
    // it later than this on a busy machine): a welcome page now would stand beside its window.
    if (m_parts.application && m_parts.application->startedByBus())
        return;
    if (!didOpen && (!m_parts.windows || m_parts.windows->isEmpty()))
        showWelcome(nullptr);
    // What was opened may have gone to other programs (a web page to the browser): a launch that
    // leaves no window ends as if its last window had closed.
    if (m_parts.application && !m_parts.application->hasVisibleWindows())
        lastWindowClosed();
}

void AppDelegate::presentPermissionsUnlessSomethingOpened()
{
    if (!didOpen)
        run(m_services.presentPermissionsIfNeeded);
}

void AppDelegate::lastWindowClosed()
{
    if (applicationShouldTerminateAfterLastWindowClosed())
        terminate();
}

void AppDelegate::terminate()
{
    if (m_parts.application)
        m_parts.application->quit();
}

void AppDelegate::applicationWillTerminate()
{
    if (std::exchange(m_terminated, true))
        return;
    run(m_services.stopAgentBridge);
    run(m_services.installPendingUpdate);
    run(m_services.willTerminate);
}

void AppDelegate::afterLaunch(double seconds, void (AppDelegate::*step)())
{
    std::weak_ptr<AppDelegate> weak = weak_from_this();
    mainQueue().postAfter(seconds, [weak, step] {
        if (auto delegate = weak.lock())
            (delegate.get()->*step)();
    });
}

void AppDelegate::applicationShouldHandleReopen(bool hasVisibleWindows)
{
    if (!hasVisibleWindows)
        showWelcome(nullptr);
}

void AppDelegate::openFiles(const std::vector<std::string>& paths)
{
    if (m_services.openURLs) {
        m_services.openURLs(paths);
        return;
    }
    if (paths.empty() || !m_parts.windows)
        return;
    didOpen = true;
    m_parts.windows->openReview(paths);
}

void AppDelegate::rebuildMenu()
{
    run(m_services.rebuildMenu);
}

void AppDelegate::updateMenuBar()
{
    m_menuBarItem->update(loadConfig());
}

ui::Menu AppDelegate::applicationDockMenu()
{
    return dockMenu();
}

void AppDelegate::exportDockMenu()
{
    if (!m_parts.application)
        return;
    for (const ui::MenuItem& item : applicationDockMenu().items) {
        m_parts.application->exportPlainAction(desktopActionName(item.command), [weak = weak_from_this(), item] {
            const auto delegate = weak.lock();
            if (delegate && delegate->m_services.windowlessMenuResponder)
                ui::performIfEnabled(item, delegate->m_services.windowlessMenuResponder());
        });
    }
}

void AppDelegate::setShortcut(const std::string& id, const std::string& combo)
{
    Json settings = loadConfig();
    ikw::setShortcut(settings, id, combo);
    saveConfig(settings);
    rebuildMenu();
}

void AppDelegate::showAbout()
{
    if (m_services.openPanel)
        m_services.openPanel("about", {});
}

void AppDelegate::showHelp()
{
    if (m_services.openPanel)
        m_services.openPanel("help", {});
}

void AppDelegate::showWelcome(const ui::WebView* tabbingHost)
{
    if (!m_parts.windows)
        return;
    const auto page = m_parts.writeWelcomePage ? m_parts.writeWelcomePage() : std::nullopt;
    m_parts.windows->openPage(page, tabbingHost);
}

void AppDelegate::goHome(const ui::WebView& web)
{
    if (!m_parts.windows)
        return;
    const auto page = m_parts.writeWelcomePage ? m_parts.writeWelcomePage() : std::nullopt;
    if (!m_parts.windows->showHome(web, page))
        showWelcome(nullptr);
}

bool AppDelegate::effectiveIsDark() const
{
    const bool desktopDark = m_parts.systemAppearance && m_parts.systemAppearance->prefersDark();
    return ikw::effectiveIsDark(appAppearance, desktopDark);
}

std::string AppDelegate::resolvedScheme() const
{
    return m_appearance->resolvedScheme();
}

AppDelegate* appDelegate()
{
    return g_delegate;
}

void installAppDelegate(AppDelegate* delegate)
{
    g_delegate = delegate;
}

}
