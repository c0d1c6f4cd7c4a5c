#pragma once

#include "library/LibraryActions.h"

#include <memory>

namespace ikw {
class AppDelegate;
}

namespace ikw::assistants {

// The launch step that starts the agent bridge for the delegate: it reaches the windows and
// openers through the library, looked up for every request.
void startAgentBridge(std::weak_ptr<AppDelegate> delegate, library::LibraryLookup library);
// The first termination step: no more requests, and the discovery file is gone.
void stopAgentBridge();

}
