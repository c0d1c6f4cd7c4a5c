#include "assistants/AgentBridgeLaunch.h"

#include "assistants/AgentBridge.h"

namespace ikw::assistants {

void startAgentBridge(std::weak_ptr<AppDelegate> delegate, library::LibraryLookup library)
{
    // No document has an annotated copy until the reader keeps them.
    AgentBridge::shared().start(std::move(delegate), BridgeServices { .library = std::move(library), .sidecars = {} });
}

void stopAgentBridge()
{
    AgentBridge::shared().stop();
}

}
