#include "assistants/MCPSettingsActions.h"

#include "platform/core/TaskQueue.h"
#include "platform/ui/Dialogs.h"
#include "review/PanelRouter.h"

namespace ikw::assistants {

void MCPSettingsActions::connect()
{
    run(&MCPConnector::connect, "Couldn't connect to Claude Desktop");
}

void MCPSettingsActions::disconnect()
{
    run(&MCPConnector::disconnect, "Couldn't disconnect");
}

void MCPSettingsActions::run(MCPConnector::Outcome (MCPConnector::*operation)() const, std::string failureTitle)
{
    m_worker->post([weak = weak_from_this(), environment = m_hooks.environment, operation, failureTitle = std::move(failureTitle)] {
        const MCPConnector connector(environment());
        auto outcome = (connector.*operation)();
        mainQueue().post([weak, outcome = std::move(outcome), failureTitle] {
            if (const auto self = weak.lock())
                self->finish(outcome, failureTitle);
        });
    });
}

void MCPSettingsActions::finish(const MCPConnector::Outcome& outcome, const std::string& failureTitle)
{
    if (m_hooks.reloadSettingsPanelIfOpen)
        m_hooks.reloadSettingsPanelIfOpen();
    if (!outcome.ok)
        m_hooks.dialogs.alert(nullptr, ui::AlertContent { .message = failureTitle, .informativeText = outcome.message }, {});
}

void registerMCPPanelActions(PanelActions& actions, std::shared_ptr<MCPSettingsActions> settings)
{
    actions.add("mcpconnect", [settings](const PanelAction&) { settings->connect(); });
    actions.add("mcpdisconnect", [settings](const PanelAction&) { settings->disconnect(); });
}

std::string liveMCPStatusJSON()
{
    try {
        return mcpStatusJSON(MCPConnector(MCPConnector::Env::live()).status());
    } catch (...) {
        return "{}";
    }
}

}
