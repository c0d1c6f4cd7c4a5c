// The composition root: builds the process constants, lets every subsystem register its tool
// switch, then either runs the chosen tool mode or starts the application.

#include "app/CommandLine.h"
#include "app/Globals.h"
#include "app/IkwNight.h"
#include "app/RegularStart.h"
#include "app/ToolSwitches.h"
#include "app/WelcomeShot.h"
#include "permission-wizard/PermissionLintSwitch.h"
#include "services/Stats.h"

#include <memory>

namespace {

void registerToolSwitches(ikw::ToolSwitches& switches)
{
    switches.set("--permission-lint", [](const ikw::CommandLine& line) { return ikw::wizard::runPermissionLintSwitch(line.arguments(), {}); });
    switches.set("--night-selftest", [](const ikw::CommandLine&) { return ikw::IkwNight::selftest(); });
    switches.set("--welcome-shot", ikw::runWelcomeShot);
}

ikw::LaunchServices launchServices()
{
    return ikw::LaunchServices {
        .noteSession = [] { ikw::services::Stats::noteSession(); },
    };
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
    return ikw::runRegularStart(argc, argv, launchServices());
}
