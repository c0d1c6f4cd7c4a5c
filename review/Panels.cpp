#include "review/Panels.h"

#include "app/Globals.h"
#include "app/RecentItems.h"
#include "app/Settings.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Identifiers.h"
#include "platform/core/Log.h"
#include "platform/core/Process.h"
#include "platform/core/TaskQueue.h"
#include "platform/ui/Desktop.h"
#include "review/EngineLocator.h"
#include "review/EngineProcess.h"
#include "review/TrustedRoots.h"

#include <algorithm>

namespace ikw {

namespace {

// A panel script that has not written its page by then never will.
constexpr double kPanelScriptTimeoutSeconds = 60;

std::string flag(bool value) { return value ? "1" : "0"; }

std::string textOr(const std::function<std::string()>& provider, const char* fallback)
{
    return provider ? provider() : fallback;
}

bool flagOr(const std::function<bool()>& provider, bool fallback)
{
    return provider ? provider() : fallback;
}

// The per-operation switches that silenced a page operation's confirmation.
void removeSkipKeys(Json& settings)
{
    for (auto entry = settings.begin(); entry != settings.end();) {
        if (entry.key().starts_with("pageops_skip_"))
            entry = settings.erase(entry);
        else
            ++entry;
    }
}

void registerOwnActions(PanelActions& actions, Panels& panels, ui::Workspace& workspace)
{
    actions.add("closepanel", [](const PanelAction& action) { action.panel.window().requestClose(); });
    actions.add("settings", [&panels](const PanelAction&) { panels.openPanel("settings"); });
    actions.add("help", [&panels](const PanelAction&) { panels.openPanel("help"); });
    actions.add("about", [&panels](const PanelAction&) { panels.openPanel("about"); });
    actions.add("reveal-archive", [&workspace](const PanelAction&) { workspace.openFile(globals().archive); });
    actions.add("resetpageopskip", [&panels](const PanelAction&) {
        // Written even when nothing matched: the page expects the file to reflect its state now.
        Json settings = loadConfig();
        removeSkipKeys(settings);
        saveConfig(settings);
        panels.reloadSettingsPanelIfOpen();
    });
}

}

std::shared_ptr<Panels> Panels::create(ui::Toolkit& toolkit, SettingsPanelFacts facts)
{
    std::shared_ptr<Panels> panels(new Panels(toolkit, std::move(facts)));
    registerOwnActions(panels->m_actions, *panels, toolkit.workspace());
    return panels;
}

Panels::Panels(ui::Toolkit& toolkit, SettingsPanelFacts facts)
    : m_toolkit(toolkit)
    , m_facts(std::move(facts))
    , m_trustedRoots(defaultTrustedRoots())
    , m_router(m_actions, toolkit.workspace())
{
}

std::shared_ptr<PanelWC> Panels::visiblePanel(const std::string& kind) const
{
    for (const auto& panel : m_panels) {
        if (panel->kind() == kind && panel->isVisible())
            return panel;
    }
    return nullptr;
}

void Panels::openPanel(const std::string& kind, const std::vector<std::string>& extraArgs)
{
    if (const auto open = visiblePanel(kind)) {
        open->window().present();
        return;
    }
    generate(kind, extraArgs, {});
}

void Panels::setBackgrounds(const ui::Color& color)
{
    for (const auto& panel : m_panels)
        panel->setBackground(color);
}

void Panels::showSettings()
{
    if (const auto open = visiblePanel("settings")) {
        open->window().close();
        pruneHidden();
        return;
    }
    openPanel("settings");
}

void Panels::reloadSettingsPanelIfOpen()
{
    if (!visiblePanel("settings"))
        return;
    std::vector<std::weak_ptr<PanelWC>> old;
    for (const auto& panel : m_panels) {
        if (panel->kind() == "settings")
            old.push_back(panel);
    }
    // The old panels stay listed until the new page shows, so a failed regeneration leaves the
    // user with the panel they had rather than none.
    generate("settings", {}, [old](bool shown) {
        if (!shown)
            return;
        for (const auto& weak : old) {
            if (auto panel = weak.lock())
                panel->window().close();
        }
    });
}

void Panels::closePanels(const std::string& kind)
{
    for (const auto& panel : m_panels) {
        if (panel->kind() == kind)
            panel->window().close();
    }
    pruneHidden();
}

std::vector<std::string> Panels::settingsFlags() const
{
    const auto neverAsk = appUserDefaults().boolean("ikwDefaultNeverAsk").value_or(false);
    return {
        "--config", globals().configPath,
        "--fda", flag(flagOr(m_facts.hasFullDiskAccess, true)),
        "--finderext", flag(flagOr(m_facts.finderExtensionEnabled, false)),
        "--iconsdir", textOr(m_facts.appIconsDir, ""),
        "--defaultpdf", flag(flagOr(m_facts.isDefaultPDFApp, false)),
        "--defaultgroups", textOr(m_facts.defaultGroupsJSON, "[]"),
        "--defaultnever", flag(neverAsk),
        "--voices", textOr(m_facts.voicesJSON, "[]"),
        "--mcpstatus", textOr(m_facts.mcpStatusJSON, "{}"),
        "--oakrunestatus", textOr(m_facts.oakruneStatusJSON, "{}"),
        "--accountstatus", textOr(m_facts.accountStatusJSON, "{}"),
        "--syncstatus", textOr(m_facts.syncStatusJSON, "{}"),
        "--openpalette", textOr(m_facts.openPalette, ""),
        "--nightwindow", textOr(m_facts.nightWindow, ""),
    };
}

std::vector<std::string> Panels::scriptArguments(const std::string& kind, const std::string& pagePath,
    const std::vector<std::string>& extraArgs) const
{
    const Globals& process = globals();
    std::vector<std::string> arguments {
        panelPy(), kind, pagePath,
        "--version", process.version,
        "--app", process.brand.name,
        "--category", process.brand.category,
    };
    if (kind == "settings") {
        const auto flags = settingsFlags();
        arguments.insert(arguments.end(), flags.begin(), flags.end());
    }
    arguments.insert(arguments.end(), extraArgs.begin(), extraArgs.end());
    return arguments;
}

void Panels::generate(const std::string& kind, const std::vector<std::string>& extraArgs, Shown shown)
{
    const Globals& process = globals();
    realFileSystem().createDirectories(process.archive);
    if (kind == "settings" && !realFileSystem().exists(process.configPath))
        saveConfig(loadConfig());
    const std::string pagePath = process.archive + "/.panel-" + kind + "-" + makeUuid() + ".html";

    ProcessOptions options;
    options.argv = scriptArguments(kind, pagePath, extraArgs);
    options.argv.insert(options.argv.begin(), pythonInterpreter());
    options.captureStandardOutput = false;
    options.captureStandardError = false;
    options.timeoutSeconds = kPanelScriptTimeoutSeconds;

    std::weak_ptr<Panels> weak = weak_from_this();
    runOnOwnThread([weak, kind, pagePath, options = std::move(options), shown = std::move(shown)]() mutable {
        const ProcessResult result = runProcess(options);
        if (!result.started)
            logLine("the panel script did not start: " + result.spawnError);
        mainQueue().post([weak, kind, pagePath, shown = std::move(shown)] {
            auto self = weak.lock();
            if (!self)
                return;
            const bool written = realFileSystem().exists(pagePath);
            if (written)
                self->show(kind, pagePath);
            if (shown)
                shown(written);
        });
    });
}

void Panels::show(const std::string& kind, const std::string& pagePath)
{
    pruneHidden();
    m_panels.push_back(PanelWC::create(m_toolkit, kind, pagePath, globals().brand.name,
        [weak = weak_from_this()](PanelWC& panel, const ui::NavigationAction& navigation) {
            auto self = weak.lock();
            return self ? self->m_router.decide(panel, navigation) : ui::NavigationPolicy::Cancel;
        },
        m_trustedRoots));
    // Panels have no menu bar; they share the settings key with the review windows.
    m_panels.back()->window().addShortcut("<Control>comma", [weak = weak_from_this()] {
        if (const auto self = weak.lock())
            self->showSettings();
    });
}

void Panels::pruneHidden()
{
    std::erase_if(m_panels, [](const std::shared_ptr<PanelWC>& panel) { return !panel->isVisible(); });
}

}
