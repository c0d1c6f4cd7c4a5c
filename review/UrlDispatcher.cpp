#include "review/UrlDispatcher.h"

#include "platform/ui/Desktop.h"
#include "review/DefaultAppOpener.h"
#include "review/PageLink.h"

#include <glib.h>

namespace ikw {

namespace {

bool isPageFile(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return false;
    return g_ascii_strcasecmp(path.c_str() + dot + 1, "html") == 0;
}

}

ui::NavigationPolicy UrlDispatcher::decide(ReviewWC& window, const ui::NavigationAction& navigation)
{
    const PageLink link = classifyPageLink(navigation.url);
    switch (link.kind) {
    case PageLink::Kind::None:
    case PageLink::Kind::Other:
        return ui::NavigationPolicy::Allow;
    case PageLink::Kind::Action:
        if (link.host)
            m_actions.dispatch(*link.host, UrlAction { window, navigation.url });
        return ui::NavigationPolicy::Cancel;
    case PageLink::Kind::File:
        if (link.filePath && isPageFile(*link.filePath))
            return ui::NavigationPolicy::Allow;
        if (link.filePath)
            openWithDefaultApp(m_workspace, *link.filePath);
        return ui::NavigationPolicy::Cancel;
    case PageLink::Kind::Web:
        m_workspace.openUrl(navigation.url);
        return ui::NavigationPolicy::Cancel;
    }
    return ui::NavigationPolicy::Allow;
}

}
