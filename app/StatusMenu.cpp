#include "app/StatusMenu.h"

#include "app/MainMenuModel.h"

#include <cctype>

namespace ikw {

ui::Menu statusMenu(const Brand& brand, const std::vector<RecentItem>& recentItems, const std::function<bool(const std::string&)>& exists)
{
    const auto separator = ui::MenuItem::makeSeparator();
    return ui::Menu {
        brand.name,
        {
            mi("Refresh / Reload All", "reloadReview:"),
            separator,
            mi("Open Folder\u2026", "openFolder:"),
            mi("New Window", "newWindow:"),
            sub("Open Recent", openRecentMenu(recentItems, exists, kStatusRecentLimit, ClearRecentEntry::Left)),
            separator,
            mi("Settings\u2026", "showSettings:"),
            mi("Agreements Needing Attention\u2026", "showAgreements:"),
            mi("Pair with iPhone\u2026", "showPairSheet:"),
            mi("Help", "showHelp:"),
            mi("About " + brand.name, "showAbout:"),
            separator,
            mi("Quit " + brand.name, "terminate:"),
        },
        false,
    };
}

ui::Menu dockMenu()
{
    return ui::Menu { "Dock", { mi("Open\u2026", "openFolder:"), mi("New Window", "newWindow:") }, false };
}

std::string desktopActionName(const std::string& command)
{
    std::string name;
    for (const char c : command) {
        if (c == ':')
            break;
        if (std::isupper(static_cast<unsigned char>(c))) {
            name += '-';
            name += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        } else {
            name += c;
        }
    }
    return name;
}

}
