#pragma once

#include "assistants/MCPConnector.h"
#include "platform/core/WorkQueue.h"

#include <functional>
#include <memory>
#include <string>

namespace ikw {
class PanelActions;
namespace ui {
class Dialogs;
}
}

namespace ikw::assistants {

// The settings page's connect and disconnect buttons. Operations run one at a time on a serial
// queue (a second click waits for the first), so two never write the connector file together;
// the panel is then reloaded on the main queue and a failure is shown in a modal alert.
class MCPSettingsActions : public std::enable_shared_from_this<MCPSettingsActions> {
public:
    struct Hooks {
        ui::Dialogs& dialogs;
        std::function<void()> reloadSettingsPanelIfOpen;
        std::function<MCPConnector::Env()> environment = MCPConnector::Env::live;
    };

    // Owned by a shared pointer (std::make_shared), as its posted work holds it weakly.
    explicit MCPSettingsActions(Hooks hooks) : m_hooks(std::move(hooks)) {}

    void connect();
    void disconnect();
    // Blocks until the operations posted so far have run (their main-queue step may still wait).
    void waitUntilIdle() { m_worker->waitUntilIdle(); }

private:
    void run(MCPConnector::Outcome (MCPConnector::*operation)() const, std::string failureTitle);
    void finish(const MCPConnector::Outcome& outcome, const std::string& failureTitle);

    Hooks m_hooks;
    std::unique_ptr<WorkQueue> m_worker = makeSerialQueue("com.norvale.inkwarden.mcpconnector");
};

// "mcpconnect" and "mcpdisconnect" in the panels' table.
void registerMCPPanelActions(PanelActions& actions, std::shared_ptr<MCPSettingsActions> settings);

// The settings page's "--mcpstatus" value for this machine; "{}" when it cannot be worked out.
std::string liveMCPStatusJSON();

}
