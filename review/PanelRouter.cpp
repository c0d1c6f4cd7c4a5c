#include "review/PanelRouter.h"

#include "platform/ui/Desktop.h"
#include "review/PageLink.h"

namespace ikw {

ui::NavigationPolicy PanelRouter::decide(PanelWC& panel, const ui::NavigationAction& navigation)
{
    const PageLink link = classifyPageLink(navigation.url);
    switch (link.kind) {
    case PageLink::Kind::Action:
        if (link.host)
            m_actions.dispatch(*link.host, PanelAction { panel, navigation.url });
        return ui::NavigationPolicy::Cancel;
    case PageLink::Kind::Web:
        m_workspace.openUrl(navigation.url);
        return ui::NavigationPolicy::Cancel;
    case PageLink::Kind::None:
    case PageLink::Kind::File:
    case PageLink::Kind::Other:
        return ui::NavigationPolicy::Allow;
    }
    return ui::NavigationPolicy::Allow;
}

}
