#pragma once

#include "platform/ui/Toolkit.h"
#include "platform/ui/fake/FakePageEditor.h"
#include "platform/ui/fake/FakeWebView.h"

#include <deque>
#include <map>
#include <memory>
#include <set>
#include <vector>

namespace ikw::ui::fake {

class FakeWindow final : public Window {
public:
    explicit FakeWindow(WindowOptions options) : options(std::move(options)), m_title(this->options.title) {}

    int addTab(std::shared_ptr<WebView> view, const std::string& title) override;
    void removeTab(const WebView& view) override;
    int tabCount() const override { return static_cast<int>(tabs.size()); }
    int selectedTab() const override { return m_selected; }
    void selectTab(int index) override { m_selected = index; }
    void setTabTitle(const WebView& view, const std::string& title) override;
    std::string tabTitle(const WebView& view) const override;
    std::shared_ptr<WebView> tab(int index) const override;

    void setTitle(const std::string& title) override { m_title = title; }
    std::string title() const override { return m_title; }
    void setRepresentedFile(const std::string& path) override { representedFile = path; }
    void setLevel(WindowLevel value) override { level = value; }
    void setFullScreen(bool value) override { fullScreen = value; }
    bool isFullScreen() const override { return fullScreen; }

    void addShortcut(const std::string& accelerator, std::function<void()> action) override { shortcuts[accelerator] = std::move(action); }
    int addKeyMonitor(std::function<bool(const KeyPress&)> monitor) override;
    void removeKeyMonitor(int id) override { keyMonitors.erase(id); }
    void setTabOverlay(const WebView& tab, std::shared_ptr<PageEditor> editor) override;
    bool isActive() const override { return active && !closed; }
    bool isFocusedLast() const override { return focusedLast && !closed; }

    void show() override { visible = true; }
    void present() override { visible = true; ++presented; }
    void hide() override { visible = false; }
    bool isVisible() const override { return visible && !closed; }
    void requestClose() override;
    void close() override;
    void setCloseHandler(std::function<bool()> shouldClose) override { m_shouldClose = std::move(shouldClose); }
    void setClosedHandler(std::function<void()> handler) override { m_closed = std::move(handler); }
    void setNewTabHandler(std::function<void()> handler) override { newTab = std::move(handler); }
    void setBackgroundColor(const Color& color) override { background = color; }
    void setMenuBar(std::shared_ptr<const MenuBar> bar, MenuResponder responder) override;
    WindowSize contentSize() const override { return { options.width, options.height }; }
    void popUpMenu(std::shared_ptr<const Menu> menu, double x, double y, MenuResponder responder) override;
    std::optional<WindowPoint> pointerPosition() const override { return pointer; }
    void setTabMenuProvider(TabMenuProvider provider) override { tabMenuProvider = std::move(provider); }
    bool hasTabMenuProvider() const override { return tabMenuProvider != nullptr; }
    void iconify() override { ++iconified; }
    void toggleMaximized() override { maximized = !maximized; }

    // The test presses a key combination: the entry of the bar that has it runs, validated first.
    // False when no entry has it or it is disabled.
    bool pressKey(const KeyCombo& combo);
    // The test presses a key: the monitors see it first; whether one took it.
    bool pressMonitoredKey(const KeyPress& key);
    // The editor laid over a tab, if any.
    std::shared_ptr<PageEditor> overlayOf(const WebView& tab) const;
    // The entry at a path of titles from the bar ({"File", "Open Recent", "a.pdf"}), or nothing.
    const MenuItem* findItem(const std::vector<std::string>& path) const;
    // The test chooses an entry by its path: validated first, as a real menu does.
    bool choose(const std::vector<std::string>& path);
    // The test right-clicks the label of the tab at `index`: what the provider shows, nothing
    // without a provider, a tab or entries.
    std::optional<TabMenu> rightClickTab(int index);

    WindowOptions options;
    struct Tab {
        std::shared_ptr<WebView> view;
        std::string title;
    };
    std::vector<Tab> tabs;
    std::string representedFile;
    WindowLevel level = WindowLevel::Normal;
    bool fullScreen = false;
    bool visible = false;
    bool closed = false;
    int presented = 0;
    std::function<void()> newTab; // the test presses the button by calling it
    std::map<std::string, std::function<void()>> shortcuts; // the test presses a key by calling it
    bool active = false;
    bool focusedLast = false;
    std::optional<Color> background;
    std::shared_ptr<const MenuBar> menuBar;
    MenuResponder menuResponder;
    int menuBarsSet = 0;
    struct PopUp {
        std::shared_ptr<const Menu> menu;
        double x, y;
        MenuResponder responder;
    };
    std::vector<PopUp> popUps;
    std::optional<WindowPoint> pointer; // where the test holds the pointer
    TabMenuProvider tabMenuProvider;
    int iconified = 0;
    bool maximized = false;
    std::map<int, std::function<bool(const KeyPress&)>> keyMonitors;
    std::map<const WebView*, std::shared_ptr<PageEditor>> overlays;

private:
    std::string m_title;
    int m_selected = -1;
    std::function<bool()> m_shouldClose;
    std::function<void()> m_closed;
};

// Dialogs answered from queues the test fills; every question is recorded.
class FakeDialogs final : public Dialogs {
public:
    AlertHandle alert(Window* parent, const AlertContent& request, std::function<void(AlertAnswer)> completion) override;
    void openPanel(Window* parent, const FilePanelOptions& request, std::function<void(std::optional<std::vector<std::string>>)> completion) override;
    void savePanel(Window* parent, const FilePanelOptions& request, std::function<void(std::optional<std::string>)> completion) override;

    // Answers the oldest alert still open (see keepsAlertsOpen); false when none is.
    bool answerOpenAlert(AlertAnswer answer);
    std::size_t openAlertCount() const { return m_open.size(); }

    struct Alert {
        Window* parent;
        AlertContent request;
        bool dismissed = false; // taken down through its handle
    };
    std::vector<Alert> alerts;
    // When set, an alert with no queued answer stays open until answerOpenAlert() or its dismissal,
    // as a real one waits for the user; otherwise it is answered at once.
    bool keepsAlertsOpen = false;
    std::vector<FilePanelOptions> panels;
    std::deque<AlertAnswer> alertAnswers;   // empty: the first button; text fields left out keep their text
    std::deque<std::optional<std::vector<std::string>>> openAnswers; // empty: cancelled
    std::deque<std::optional<std::string>> saveAnswers;              // empty: cancelled

private:
    void finishAlert(std::size_t index, AlertAnswer answer);

    std::map<std::size_t, std::function<void(AlertAnswer)>> m_open; // by index into `alerts`
    std::shared_ptr<FakeDialogs*> m_self = std::make_shared<FakeDialogs*>(this); // handles outliving us do nothing
};

class FakeClipboard final : public Clipboard {
public:
    void setText(const std::string& value) override { contents = value; }
    std::optional<std::string> text() const override { return contents; }
    void setFiles(const std::vector<std::string>& paths) override { files = paths; contents.reset(); }
    std::optional<std::string> contents;
    std::vector<std::string> files;
};

class FakeWorkspace final : public Workspace {
public:
    bool openUrl(const std::string& url) override { openedUrls.push_back(url); return opens; }
    bool openFile(const std::string& path) override { openedFiles.push_back(path); return opens; }
    std::optional<DesktopApplication> defaultApplicationFor(const std::string&) override { return defaultApplication; }
    std::optional<DesktopApplication> defaultApplicationForType(const std::string& contentType) override
    {
        askedTypes.push_back(contentType);
        const auto found = defaultApplications.find(contentType);
        return found == defaultApplications.end() ? std::nullopt : std::optional(found->second);
    }
    std::vector<ApplicationEntry> applicationsFor(const std::string& path) override
    {
        askedApplicationsFor.push_back(path);
        return applications;
    }
    bool openFileWith(const std::string& path, const std::string& applicationId) override
    {
        openedWith.emplace_back(path, applicationId);
        return opens;
    }
    std::optional<ApplicationIcon> applicationIcon(const std::string& applicationId, int side) override;
    void revealFile(const std::string& path) override { revealed.push_back(path); }
    void showItemProperties(const std::string& path) override { propertiesShown.push_back(path); }
    std::vector<std::string> openedUrls, openedFiles, revealed, propertiesShown;
    bool opens = true;
    std::optional<DesktopApplication> defaultApplication;
    // By content type; every question is recorded.
    std::map<std::string, DesktopApplication> defaultApplications;
    std::vector<std::string> askedTypes;
    std::vector<std::pair<std::string, std::string>> openedWith; // path, application id or entry file
    // What applicationsFor lists, whatever the file; every question is recorded.
    std::vector<ApplicationEntry> applications;
    std::vector<std::string> askedApplicationsFor;
    // Applications (by id) that have an icon: a grey square of the size asked for.
    std::set<std::string> applicationsWithIcons;
};

class FakeKeepAwake final : public KeepAwake {
public:
    std::unique_ptr<KeepAwakeToken> hold(const std::string& reason) override;
    int held = 0; // tokens alive now
    std::vector<std::string> reasons;
};

// Records each print job: its parent window, document and export file.
class FakePrinting final : public Printing {
public:
    struct Job {
        Window* parent = nullptr;
        PrintDocument document;
        std::string exportFile;
    };
    void print(Window* parent, PrintDocument document, const std::string& exportFile) override
    {
        jobs.push_back({ parent, std::move(document), exportFile });
    }
    std::vector<Job> jobs;
};

// Records what an item shows; the test reads the menu and chooses its entries through the responder.
class FakeStatusItem final : public StatusItem {
public:
    using Shown = std::vector<FakeStatusItem*>;
    FakeStatusItem(StatusItemOptions options, std::shared_ptr<Shown> shown, std::vector<std::string> unloadable);
    ~FakeStatusItem() override;
    // Any existing file loads unless the bar lists it as unloadable.
    bool setIcon(const std::string& imagePath) override;
    void setLabel(const std::string& text) override { label = text; }
    void setMenu(std::shared_ptr<const Menu> shown, MenuResponder answers) override
    {
        menu = std::move(shown);
        responder = std::move(answers);
        ++menusSet;
    }

    StatusItemOptions options;
    std::optional<std::string> icon;
    std::string label;
    std::shared_ptr<const Menu> menu;
    MenuResponder responder;
    int menusSet = 0;

private:
    std::shared_ptr<Shown> m_shown;
    std::vector<std::string> m_unloadable;
};

// Keeps the items alive now; an item leaves when it is destroyed.
class FakeStatusBar final : public StatusBar {
public:
    std::unique_ptr<StatusItem> addItem(const StatusItemOptions& options) override;
    const FakeStatusItem::Shown& shown() const { return *m_shown; }
    // The one item shown, if exactly one is.
    FakeStatusItem* item() const { return m_shown->size() == 1 ? m_shown->front() : nullptr; }

    int made = 0;
    std::vector<std::string> unloadableIcons;

private:
    std::shared_ptr<FakeStatusItem::Shown> m_shown = std::make_shared<FakeStatusItem::Shown>();
};

class FakeToolkit final : public Toolkit {
public:
    std::shared_ptr<WebContext> makeWebContext() override;
    std::shared_ptr<WebView> makeWebView(const std::shared_ptr<WebContext>& context, const WebViewOptions& options) override;
    std::shared_ptr<Window> makeWindow(const WindowOptions& options) override;
    void setPrefersDark(bool dark) override { prefersDark = dark; }
    // Any existing file "loads" unless it is listed in `unloadableIcons`.
    bool setDefaultIcon(const std::string& imagePath) override;
    std::shared_ptr<PageEditor> makePageEditor(const EditorChrome& chrome) override;
    bool hasFontFamily(const std::string& family) override;
    void beep() override { ++beeps; }
    Dialogs& dialogs() override { return fakeDialogs; }
    Clipboard& clipboard() override { return fakeClipboard; }
    Workspace& workspace() override { return fakeWorkspace; }
    KeepAwake& keepAwake() override { return fakeKeepAwake; }
    Printing& printing() override { return fakePrinting; }
    StatusBar& statusBar() override { return fakeStatusBar; }

    std::vector<std::shared_ptr<FakeWebContext>> contexts;
    std::vector<std::shared_ptr<FakeWebView>> views;
    std::vector<std::shared_ptr<FakeWindow>> windows;
    std::vector<std::shared_ptr<FakePageEditor>> editors;
    std::vector<std::string> installedFonts; // the families hasFontFamily knows
    std::optional<bool> prefersDark;
    std::optional<std::string> defaultIcon;
    std::vector<std::string> unloadableIcons;
    int beeps = 0;
    FakeDialogs fakeDialogs;
    FakeClipboard fakeClipboard;
    FakeWorkspace fakeWorkspace;
    FakeKeepAwake fakeKeepAwake;
    FakePrinting fakePrinting;
    FakeStatusBar fakeStatusBar;
};

}
