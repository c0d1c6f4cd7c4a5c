#include "app/MenuBarItem.h"

#include "app/StatusMenu.h"

namespace ikw {

namespace {

bool wanted(const Json& settings)
{
    const auto it = settings.find("menu_bar_icon");
    return it != settings.end() && it->is_boolean() && it->get<bool>();
}

// What the "Open Recent" entries show: the same paths and tool tips give the same menu.
bool sameEntries(const std::shared_ptr<const ui::Menu>& shown, const ui::Menu& fresh)
{
    if (!shown || shown->items.size() != fresh.items.size())
        return false;
    for (std::size_t index = 0; index < fresh.items.size(); ++index) {
        const auto& a = shown->items[index];
        const auto& b = fresh.items[index];
        if (a.title != b.title || a.toolTip != b.toolTip || a.representedObject != b.representedObject || bool(a.submenu) != bool(b.submenu))
            return false;
        if (a.submenu && !sameEntries(a.submenu, *b.submenu))
            return false;
    }
    return true;
}

}

MenuBarItem::MenuBarItem(MenuBarItemParts parts)
    : m_parts(std::move(parts))
{
}

void MenuBarItem::update(const Json& settings)
{
    if (!wanted(settings)) {
        m_item.reset();
        m_menu.reset();
        return;
    }
    if (m_item || !m_parts.bar)
        return;
    m_item = m_parts.bar->addItem({ .id = m_parts.id, .title = m_parts.brand.name, .iconFolder = m_parts.iconFolder });
    const std::string icon = m_parts.iconPath ? m_parts.iconPath() : std::string();
    if (icon.empty() || !m_item->setIcon(icon))
        m_item->setLabel(m_parts.brand.name);
    installMenu();
}

void MenuBarItem::showRecents(std::vector<RecentItem> items, std::function<bool(const std::string&)> exists)
{
    m_recents = std::move(items);
    m_exists = std::move(exists);
    if (m_item)
        installMenu();
}

void MenuBarItem::setIcon(const std::string& imagePath)
{
    if (m_item)
        m_item->setIcon(imagePath);
}

void MenuBarItem::installMenu()
{
    ui::Menu fresh = statusMenu(m_parts.brand, m_recents, m_exists);
    if (sameEntries(m_menu, fresh))
        return;
    m_menu = std::make_shared<const ui::Menu>(std::move(fresh));
    m_item->setMenu(m_menu, m_parts.responder ? m_parts.responder() : ui::MenuResponder {});
}

}
