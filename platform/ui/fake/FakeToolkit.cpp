#include "platform/ui/fake/FakeToolkit.h"

#include <algorithm>
#include <filesystem>

namespace ikw::ui::fake {

namespace {

// A scripted answer gives the texts the user typed; fields it leaves out hold what they opened with.
void withFieldTexts(AlertAnswer& answer, const AlertContent& request)
{
    for (std::size_t index = answer.fieldTexts.size(); index < request.textFields.size(); ++index)
        answer.fieldTexts.push_back(request.textFields[index].text);
}

}

int FakeWindow::addTab(std::shared_ptr<WebView> view, const std::string& title)
{
    const int index = tabs.empty() ? 0 : m_selected + 1;
    tabs.insert(tabs.begin() + index, Tab { std::move(view), title });
    m_selected = index;
    return index;
}

void FakeWindow::removeTab(const WebView& view)
{
    const auto it = std::find_if(tabs.begin(), tabs.end(), [&](const Tab& tab) { return tab.view.get() == &view; });
    if (it == tabs.end())
        return;
    tabs.erase(it);
    m_selected = std::min(m_selected, static_cast<int>(tabs.size()) - 1);
}

void FakeWindow::setTabTitle(const WebView& view, const std::string& title)
{
    for (auto& tab : tabs) {
        if (tab.view.get() == &view)
            tab.title = title;
    }
}

std::string FakeWindow::tabTitle(const WebView& view) const
{
    for (const auto& tab : tabs) {
        if (tab.view.get() == &view)
            return tab.title;
    }
    return {};
}

std::shared_ptr<WebView> FakeWindow::tab(int index) const
{
    if (index < 0 || index >= tabCount())
        return nullptr;
    return tabs[static_cast<std::size_t>(index)].view;
}

void FakeWindow::setMenuBar(std::shared_ptr<const MenuBar> bar, MenuResponder responder)
{
    menuBar = std::move(bar);
    menuResponder = std::move(responder);
    ++menuBarsSet;
}

void FakeWindow::popUpMenu(std::shared_ptr<const Menu> menu, double x, double y, MenuResponder responder)
{
    popUps.push_back({ std::move(menu), x, y, std::move(responder) });
}

std::optional<TabMenu> FakeWindow::rightClickTab(int index)
{
    const auto view = tab(index);
    if (!tabMenuProvider || !view || closed)
        return std::nullopt;
    TabMenu shown = tabMenuProvider(view);
    if (!shown.menu || shown.menu->items.empty())
        return std::nullopt;
    return shown;
}

bool FakeWindow::pressKey(const KeyCombo& combo)
{
    if (!menuBar)
        return false;
    for (const MenuItem* item : itemsWithKeys(*menuBar)) {
        if (item->key == combo)
            return performIfEnabled(*item, menuResponder);
    }
    return false;
}

const MenuItem* FakeWindow::findItem(const std::vector<std::string>& path) const
{
    if (!menuBar || path.empty())
        return nullptr;
    const auto menu = std::find_if(menuBar->menus.begin(), menuBar->menus.end(), [&](const Menu& m) { return m.title == path.front(); });
    if (menu == menuBar->menus.end())
        return nullptr;
    const std::vector<MenuItem>* items = &menu->items;
    const MenuItem* found = nullptr;
    for (std::size_t i = 1; i < path.size(); ++i) {
        if (!items)
            return nullptr;
        const auto it = std::find_if(items->begin(), items->end(), [&](const MenuItem& item) { return item.title == path[i]; });
        if (it == items->end())
            return nullptr;
        found = &*it;
        items = found->submenu ? &found->submenu->items : nullptr;
    }
    return found;
}

bool FakeWindow::choose(const std::vector<std::string>& path)
{
    const MenuItem* item = findItem(path);
    return item && performIfEnabled(*item, menuResponder);
}

void FakeWindow::requestClose()
{
    if (closed || (m_shouldClose && !m_shouldClose()))
        return;
    close();
}

void FakeWindow::close()
{
    if (closed)
        return;
    closed = true;
    if (auto handler = std::move(m_closed))
        handler();
}

AlertHandle FakeDialogs::alert(Window* parent, const AlertContent& request, std::function<void(AlertAnswer)> completion)
{
    const std::size_t index = alerts.size();
    alerts.push_back({ parent, request });
    if (keepsAlertsOpen && alertAnswers.empty()) {
        m_open.emplace(index, std::move(completion));
        return AlertHandle([self = std::weak_ptr<FakeDialogs*>(m_self), index] {
            if (const auto dialogs = self.lock(); dialogs && (*dialogs)->m_open.count(index)) {
                (*dialogs)->alerts[index].dismissed = true;
                (*dialogs)->finishAlert(index, { -1, false });
            }
        });
    }
    AlertAnswer answer;
    if (!alertAnswers.empty()) {
        answer = alertAnswers.front();
        alertAnswers.pop_front();
    }
    withFieldTexts(answer, request);
    if (completion)
        completion(answer);
    return {};
}

bool FakeDialogs::answerOpenAlert(AlertAnswer answer)
{
    if (m_open.empty())
        return false;
    finishAlert(m_open.begin()->first, answer);
    return true;
}

void FakeDialogs::finishAlert(std::size_t index, AlertAnswer answer)
{
    const auto found = m_open.find(index);
    const auto completion = std::move(found->second);
    m_open.erase(found);
    withFieldTexts(answer, alerts[index].request);
    if (completion)
        completion(answer);
}

void FakeDialogs::openPanel(Window*, const FilePanelOptions& request, std::function<void(std::optional<std::vector<std::string>>)> completion)
{
    panels.push_back(request);
    std::optional<std::vector<std::string>> answer;
    if (!openAnswers.empty()) {
        answer = openAnswers.front();
        openAnswers.pop_front();
    }
    completion(answer);
}

void FakeDialogs::savePanel(Window*, const FilePanelOptions& request, std::function<void(std::optional<std::string>)> completion)
{
    panels.push_back(request);
    std::optional<std::string> answer;
    if (!saveAnswers.empty()) {
        answer = saveAnswers.front();
        saveAnswers.pop_front();
    }
    completion(answer);
}

std::unique_ptr<KeepAwakeToken> FakeKeepAwake::hold(const std::string& reason)
{
    class Token final : public KeepAwakeToken {
    public:
        explicit Token(int& held) : m_held(held) { ++m_held; }
        ~Token() override { --m_held; }

    private:
        int& m_held;
    };
    reasons.push_back(reason);
    return std::make_unique<Token>(held);
}

std::shared_ptr<WebContext> FakeToolkit::makeWebContext()
{
    contexts.push_back(std::make_shared<FakeWebContext>());
    return contexts.back();
}

std::shared_ptr<WebView> FakeToolkit::makeWebView(const std::shared_ptr<WebContext>& context, const WebViewOptions& options)
{
    auto view = std::make_shared<FakeWebView>();
    view->options = options;
    view->context = context;
    views.push_back(view);
    return view;
}

std::shared_ptr<Window> FakeToolkit::makeWindow(const WindowOptions& options)
{
    windows.push_back(std::make_shared<FakeWindow>(options));
    return windows.back();
}

bool FakeToolkit::setDefaultIcon(const std::string& imagePath)
{
    std::error_code error;
    const bool loads = std::filesystem::is_regular_file(imagePath, error)
        && std::find(unloadableIcons.begin(), unloadableIcons.end(), imagePath) == unloadableIcons.end();
    if (loads)
        defaultIcon = imagePath;
    return loads;
}

FakeStatusItem::FakeStatusItem(StatusItemOptions options, std::shared_ptr<Shown> shown, std::vector<std::string> unloadable)
    : options(std::move(options))
    , m_shown(std::move(shown))
    , m_unloadable(std::move(unloadable))
{
    m_shown->push_back(this);
}

FakeStatusItem::~FakeStatusItem()
{
    std::erase(*m_shown, this);
}

bool FakeStatusItem::setIcon(const std::string& imagePath)
{
    std::error_code error;
    const bool loads = std::filesystem::is_regular_file(imagePath, error)
        && std::find(m_unloadable.begin(), m_unloadable.end(), imagePath) == m_unloadable.end();
    if (loads)
        icon = imagePath;
    return loads;
}

std::unique_ptr<StatusItem> FakeStatusBar::addItem(const StatusItemOptions& options)
{
    ++made;
    return std::make_unique<FakeStatusItem>(options, m_shown, unloadableIcons);
}

int FakeWindow::addKeyMonitor(std::function<bool(const KeyPress&)> monitor)
{
    const int id = keyMonitors.empty() ? 1 : keyMonitors.rbegin()->first + 1;
    keyMonitors[id] = std::move(monitor);
    return id;
}

bool FakeWindow::pressMonitoredKey(const KeyPress& key)
{
    const auto monitors = keyMonitors; // a monitor may remove itself
    for (const auto& [id, monitor] : monitors) {
        if (monitor(key))
            return true;
    }
    return false;
}

void FakeWindow::setTabOverlay(const WebView& tab, std::shared_ptr<PageEditor> editor)
{
    if (editor)
        overlays[&tab] = std::move(editor);
    else
        overlays.erase(&tab);
}

std::shared_ptr<PageEditor> FakeWindow::overlayOf(const WebView& tab) const
{
    const auto it = overlays.find(&tab);
    return it == overlays.end() ? nullptr : it->second;
}

std::shared_ptr<PageEditor> FakeToolkit::makePageEditor(const EditorChrome& chrome)
{
    editors.push_back(std::make_shared<FakePageEditor>(chrome));
    return editors.back();
}

bool FakeToolkit::hasFontFamily(const std::string& family)
{
    return std::find(installedFonts.begin(), installedFonts.end(), family) != installedFonts.end();
}

std::optional<ApplicationIcon> FakeWorkspace::applicationIcon(const std::string& applicationId, int side)
{
    if (!applicationsWithIcons.contains(applicationId) || side <= 0)
        return std::nullopt;
    ApplicationIcon icon { "/icons/" + applicationId + ".png", side, side, {} };
    icon.rgba.assign(static_cast<std::size_t>(side) * static_cast<std::size_t>(side) * 4, 0x80);
    return icon;
}

}
