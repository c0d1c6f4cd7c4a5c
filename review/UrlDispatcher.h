#pragma once

#include "platform/ui/WebView.h"
#include "review/UrlActions.h"

namespace ikw {

namespace ui {
class Workspace;
}

// The policy of every navigation a review page starts. Actions run their row and never move the
// page; local files other than pages and web addresses go to the desktop; the rest loads.
class UrlDispatcher {
public:
    // Both must outlive the dispatcher.
    UrlDispatcher(UrlActions& actions, ui::Workspace& workspace) : m_actions(actions), m_workspace(workspace) {}

    ui::NavigationPolicy decide(ReviewWC& window, const ui::NavigationAction& navigation);

private:
    UrlActions& m_actions;
    ui::Workspace& m_workspace;
};

}
