#pragma once

#include "app/Brand.h"
#include "app/RecentItems.h"
#include "platform/ui/Menu.h"

#include <functional>
#include <string>
#include <vector>

namespace ikw {

inline constexpr std::size_t kStatusRecentLimit = 10;

// The status item's menu: reload, open, the recent items, the panels and quitting. No entry has a
// key combination.
ui::Menu statusMenu(const Brand& brand, const std::vector<RecentItem>& recentItems, const std::function<bool(const std::string&)>& exists);

// What the launcher offers on the application's icon: "Open…" and "New Window". The desktop entry
// declares them as its actions, which reach the running program as application actions.
ui::Menu dockMenu();
// The application action of a dock entry's command ("openFolder:" is "open-folder").
std::string desktopActionName(const std::string& command);

}
