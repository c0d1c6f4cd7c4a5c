#include "assistants/AgentBridgeLaunch.h"

#include "assistants/AgentBridge.h"
#include "crossdoc/AnnotationSidecars.h"

namespace ikw::assistants {

void startAgentBridge(std::weak_ptr<AppDelegate> delegate, library::LibraryLookup library)
{
    // The annotated copy a reader would show in place of the document.
    AgentBridge::shared().start(std::move(delegate), BridgeServices {
        .library = std::move(library),
        .sidecars = { .exists = crossdoc::annotSidecarExists, .path = crossdoc::annotSidecarPath },
    });
}

void stopAgentBridge()
{
    AgentBridge::shared().stop();
}

}
