// The composition root: builds the process constants, lets every subsystem register its tool
// switch, then either runs the chosen tool mode or starts the application.

#include "app/CommandLine.h"
#include "app/Globals.h"
#include "app/IkwNight.h"
#include "app/NightSettings.h"
#include "app/RegularStart.h"
#include "app/Settings.h"
#include "app/ToolSwitches.h"
#include "app/WelcomeShot.h"
#include "permission-wizard/PermissionLintSwitch.h"
#include "review/PageBridge.h"
#include "review/ReviewWindowLayer.h"
#include "review/ReviewWindows.h"
#include "services/Stats.h"

#include <memory>

namespace {

void registerToolSwitches(ikw::ToolSwitches& switches)
{
    switches.set("--permission-lint", [](const ikw::CommandLine& line) { return ikw::wizard::runPermissionLintSwitch(line.arguments(), {}); });
    switches.set("--night-selftest", [](const ikw::CommandLine&) { return ikw::IkwNight::selftest(); });
    switches.set("--welcome-shot", ikw::runWelcomeShot);
}

// The panels, once the review layer has made them; the delegate's panel commands go through it.
struct PanelSlot {
    std::weak_ptr<ikw::Panels> panels;
};

ikw::LaunchServices launchServices(const PanelSlot& slot)
{
    return ikw::LaunchServices {
        .noteSession = [] { ikw::services::Stats::noteSession(); },
        .openPanel = [&slot](const std::string& kind, const std::vector<std::string>& extraArgs) {
            if (const auto panels = slot.panels.lock())
                panels->openPanel(kind, extraArgs);
        },
    };
}

ikw::SettingsPanelFacts settingsPanelFacts()
{
    ikw::SettingsPanelFacts facts;
    facts.nightWindow = [] { return ikw::IkwNight::windowLabel(ikw::nightConfigFromSettings(ikw::loadConfig())); };
    return facts;
}

// Every feature's page actions and messages. A feature that does not exist yet has no rows.
void registerPageFeatures(ikw::PageBridge& bridge)
{
    namespace Stats = ikw::services::Stats;
    ikw::registerStatMessage(bridge.messages, ikw::StatSink {
        .record = [](const std::string& id) { Stats::record(id); },
        .funnel = [](const std::string& flow, const std::string& step) { Stats::funnel(flow, step); },
    });
}

std::shared_ptr<ikw::ReviewWindowRegistry> makeReviewWindows(ikw::ui::Toolkit& toolkit, PanelSlot& slot)
{
    std::shared_ptr<ikw::PageBridge> bridge;
    auto windows = ikw::makeReviewWindowLayer(toolkit, [&bridge](ikw::ReviewServices& services) {
        ikw::ReviewActionParts parts;
        parts.recordStat = [](const std::string& id) { ikw::services::Stats::record(id); };
        bridge = ikw::installPageBridge(services, settingsPanelFacts(), std::move(parts));
        registerPageFeatures(*bridge);
    });
    // The bridge lives in the layer's services, so the list outlives every use of it.
    if (auto* list = dynamic_cast<ikw::ReviewWindows*>(windows.get()); list && bridge)
        bridge->openWindows = [list] { return list->windows(); };
    if (bridge)
        slot.panels = bridge->panels;
    return windows;
}

void installStores(const ikw::Globals& globals)
{
    namespace Stats = ikw::services::Stats;
    Stats::install(std::make_shared<ikw::services::StatsStore>(Stats::productConfig(globals.appInfo.identifier)));
}

}

int main(int argc, char** argv)
{
    ikw::installGlobals(std::make_shared<const ikw::Globals>(ikw::Globals::build(ikw::Paths::fromEnvironment())));

    const ikw::CommandLine commandLine(argc, argv);
    ikw::ToolSwitches switches;
    registerToolSwitches(switches);
    if (const auto status = switches.run(commandLine))
        return *status;
    installStores(ikw::globals());
    PanelSlot panelSlot;
    return ikw::runRegularStart(argc, argv, launchServices(panelSlot),
        [&panelSlot](ikw::ui::Toolkit& toolkit) { return makeReviewWindows(toolkit, panelSlot); });
}
