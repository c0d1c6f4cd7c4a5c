#pragma once

#include "platform/ui/WebView.h"
#include "review/ActionTable.h"
#include "review/UrlQuery.h"

#include <optional>
#include <string>
#include <string_view>

namespace ikw {

class PanelWC;
namespace ui {
class Workspace;
}

// One action a panel page sent.
struct PanelAction {
    PanelWC& panel;
    std::string url;

    std::optional<std::string> item(std::string_view name) const { return urlQuery(url, name); }
};

// The panels' own host table, smaller than the review windows'; features add their rows.
class PanelActions : public ActionTable<PanelAction> {
public:
    PanelActions() : ActionTable("panel actions") {}
};

// The panels' navigation policy: actions run their row and never move the page, web addresses
// open in the browser, everything else (the panel's own page) loads.
class PanelRouter {
public:
    // Both must outlive the router.
    PanelRouter(PanelActions& actions, ui::Workspace& workspace) : m_actions(actions), m_workspace(workspace) {}

    ui::NavigationPolicy decide(PanelWC& panel, const ui::NavigationAction& navigation);

private:
    PanelActions& m_actions;
    ui::Workspace& m_workspace;
};

}
