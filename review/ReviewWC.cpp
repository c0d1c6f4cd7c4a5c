#include "review/ReviewWC.h"
#include "review/ReviewScripts.h"

#include "app/Appearance.h"
#include "app/Globals.h"
#include "app/PageTemplates.h"
#include "app/Settings.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Identifiers.h"
#include "platform/core/Log.h"
#include "platform/core/Paths.h"
#include "platform/ui/PageScript.h"
#include "review/DownloadNames.h"
#include "review/DropRouting.h"
#include "review/ResourceSchemes.h"
#include "review/TrustedRoots.h"

#include <glib.h>

#include <algorithm>
#include <cctype>
#include <tuple>
#include <utility>

namespace ikw {

namespace {

constexpr int kWindowWidth = 1340;
constexpr int kWindowHeight = 900;
constexpr double kFlushGraceSeconds = 1.5;

constexpr const char* kFlushScript = "(function(){try{return (window.__ikwFlush&&window.__ikwFlush())?1:0}catch(e){return 0}})()";

std::string newBridgeId()
{
    std::string id = "w" + makeUuid().substr(0, 8);
    std::transform(id.begin(), id.end(), id.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return id;
}

const char* boolText(bool value) { return value ? "true" : "false"; }

// The captured view state when the page answered one: a string other than "null".
std::optional<std::string> viewStateOf(const ui::ScriptResult& result)
{
    if (!result.value || !result.value->is_string())
        return std::nullopt;
    auto text = result.value->get<std::string>();
    if (text == "null")
        return std::nullopt;
    return text;
}

}

bool cfgAutoRefresh(const Json& settings)
{
    const auto it = settings.find("auto_refresh");
    return it == settings.end() || !(it->is_boolean() && !it->get<bool>());
}

ui::WindowLevel windowLevelFor(const Json& settings)
{
    const auto it = settings.find("always_on_top");
    const bool floating = it != settings.end() && it->is_boolean() && it->get<bool>();
    return floating ? ui::WindowLevel::Floating : ui::WindowLevel::Normal;
}

void IkwWeakMsgProxy::operator()(const Json& body) const
{
    if (auto target = m_target.lock())
        target->receiveScriptMessage(body);
}

// The review tabs of one window, so a close of the window asks and tells each of them.
struct ReviewTabGroup {
    std::vector<std::weak_ptr<ReviewWC>> tabs;

    std::vector<std::shared_ptr<ReviewWC>> live() const
    {
        std::vector<std::shared_ptr<ReviewWC>> result;
        for (const auto& tab : tabs) {
            if (auto strong = tab.lock(); strong && !strong->isClosed())
                result.push_back(std::move(strong));
        }
        return result;
    }
};

namespace {

// The live tab of `group` that `window` shows now.
std::shared_ptr<ReviewWC> selectedTabOf(const ReviewTabGroup& group, const ui::Window& window)
{
    const auto selected = window.tab(window.selectedTab());
    for (const auto& member : group.live()) {
        if (member->web == selected)
            return member;
    }
    return nullptr;
}

// A new window's group: its close asks and tells every tab of it; its keys close the current tab
// and quit.
std::shared_ptr<ReviewTabGroup> makeTabGroup(const std::shared_ptr<ui::Window>& window, ReviewServices& services)
{
    auto group = std::make_shared<ReviewTabGroup>();
    std::weak_ptr<ReviewTabGroup> weakGroup = group;
    std::weak_ptr<ui::Window> weakWindow = window;
    // Every tab is asked (a reader starts settling its page even when another tab refuses); a
    // reader that settled asks the window again.
    window->setCloseHandler([weakGroup, weakWindow] {
        auto current = weakGroup.lock();
        bool mayClose = true;
        for (const auto& member : current ? current->live() : std::vector<std::shared_ptr<ReviewWC>> {}) {
            mayClose = member->windowShouldClose([weakWindow] {
                if (auto frame = weakWindow.lock())
                    frame->requestClose();
            }) && mayClose;
        }
        return mayClose;
    });
    window->setClosedHandler([weakGroup] {
        if (auto current = weakGroup.lock()) {
            for (const auto& member : current->live())
                member->windowWillClose();
        }
    });
    // Any tab of the window stands for it: the welcome page joins this window as a new tab.
    window->setNewTabHandler([weakGroup] {
        const auto current = weakGroup.lock();
        const auto tabs = current ? current->live() : std::vector<std::shared_ptr<ReviewWC>> {};
        if (!tabs.empty())
            tabs.front()->newWindowForTab();
    });
    window->addShortcut("<Control>w", [weakGroup, weakWindow] {
        const auto current = weakGroup.lock();
        const auto frame = weakWindow.lock();
        if (!current || !frame)
            return;
        if (const auto tab = selectedTabOf(*current, *frame))
            tab->closeTab();
    });
    window->addShortcut("<Control>q", [&services] {
        if (services.quit)
            services.quit();
    });
    return group;
}

// A new, empty review window with its group.
std::pair<std::shared_ptr<ui::Window>, std::shared_ptr<ReviewTabGroup>> makeReviewWindow(ReviewServices& services)
{
    auto window = services.toolkit->makeWindow(ui::WindowOptions { kWindowWidth, kWindowHeight, globals().brand.name, false });
    window->setLevel(windowLevelFor(loadConfig()));
    auto group = makeTabGroup(window, services);
    if (services.windowMade)
        services.windowMade(window);
    return { std::move(window), std::move(group) };
}

}

std::shared_ptr<ReviewWC> ReviewWC::create(ReviewServices& services, const std::optional<std::string>& pagePath, ReviewWC* tabbingHost)
{
    // Review pages read local files and the resource schemes; no frame shows anything else.
    auto view = services.toolkit->makeWebView(services.webContext, ui::WebViewOptions { .fileAccessFromFileUrls = true });
    const bool joinsHost = tabbingHost && !tabbingHost->isClosed();
    std::shared_ptr<ui::Window> window;
    std::shared_ptr<ReviewTabGroup> group;
    if (joinsHost) {
        window = tabbingHost->m_window;
        group = tabbingHost->m_tabGroup;
    } else {
        std::tie(window, group) = makeReviewWindow(services);
    }
    std::shared_ptr<ReviewWC> controller(new ReviewWC(services, std::move(view), std::move(window)));
    group->tabs.push_back(controller);
    controller->m_tabGroup = std::move(group);
    controller->setBackground(reviewBG(controller->schemeIsDark()));
    controller->wire(pagePath);
    return controller;
}

ReviewWC::ReviewWC(ReviewServices& services, std::shared_ptr<ui::WebView> view, std::shared_ptr<ui::Window> window)
    : web(std::move(view))
    , bridgeId(newBridgeId())
    , m_services(services)
    , m_window(std::move(window))
{
}

ReviewWC::~ReviewWC() = default;

void ReviewWC::wire(const std::optional<std::string>& pagePath)
{
    std::weak_ptr<ReviewWC> weak = weak_from_this();
    if (const std::string boot = m_services.bootScript ? m_services.bootScript() : std::string(); !boot.empty())
        web->addUserScript(guardScriptToRoots(boot, m_services.trustedRoots));
    web->setScriptMessageHandler(IkwWeakMsgProxy(weak));
    web->setNavigationPolicy([weak](const ui::NavigationAction& action) {
        auto self = weak.lock();
        return self ? self->decideNavigation(action) : ui::NavigationPolicy::Cancel;
    });
    web->setResponsePolicy([weak](const ui::DocumentResponse& document) {
        auto self = weak.lock();
        return self ? self->decideDocument(document) : ui::ResponsePolicy::Refuse;
    });
    // Drag modes 2 and 3 take file drops from the page for the window; any other leaves them to it.
    if (globals().dragMode == 2 || globals().dragMode == 3) {
        web->setFileDropHandler([weak](const std::vector<std::string>& paths, double x, double y, double viewWidth) {
            if (auto self = weak.lock())
                self->readerDrop(paths, DropPoint { x, y, viewWidth });
        });
    }
    web->setTitleHandler([weak](const std::string& title) {
        if (auto self = weak.lock())
            self->pageTitleChanged(title);
    });
    web->setLoadHandlers(
        [weak] {
            if (auto self = weak.lock())
                self->pageDidFinishLoading();
        },
        [](const std::string& reason) { logLine("review page failed to load: " + reason); });
    web->setDownloadEvents(ui::DownloadEvents {
        .destination = [weak](const std::string&, const std::string& suggestedName) -> std::optional<std::string> {
            auto self = weak.lock();
            return self ? self->downloadDestination(suggestedName) : std::nullopt;
        },
        .finished = [weak](std::optional<std::string> savedPath) {
            if (auto self = weak.lock())
                self->downloadFinished(savedPath);
        },
    });
    m_window->addTab(web, globals().brand.name);
    loadPage(pagePath);
    m_window->present();
}

void ReviewWC::loadPage(const std::optional<std::string>& pagePath)
{
    if (pagePath) {
        web->loadFile(*pagePath);
        return;
    }
    // No page file to show: the loading text, still (there is no file the engine could replace,
    // so it must not reload itself). Its address is a file of the reviews folder, like every
    // loading page.
    const std::unique_ptr<gchar, decltype(&g_free)> base(
        g_filename_to_uri(joinPath(globals().archive, ".loading.html").c_str(), nullptr, nullptr), g_free);
    web->loadHtml(loadingText(globals().brand), base ? base.get() : "");
}

bool ReviewWC::pageIsTrusted() const
{
    return isTrustedPageUrl(web->documentUrl(), m_services.trustedRoots);
}

ui::NavigationPolicy ReviewWC::decideNavigation(const ui::NavigationAction& action)
{
    // Page actions count only from the product's own pages. WebKit does not say which frame sent
    // one, so the top frame's document decides; no frame may hold a stranger (decideDocument).
    if (action.url.rfind("qeliz:", 0) == 0 && !pageIsTrusted())
        return ui::NavigationPolicy::Cancel;
    if (!m_services.navigationPolicy)
        return ui::NavigationPolicy::Allow;
    return m_services.navigationPolicy(*this, action);
}

ui::ResponsePolicy ReviewWC::decideDocument(const ui::DocumentResponse& document)
{
    const auto verdict = judgeDocument(document, m_services.trustedRoots, review::resourceSchemeNames());
    if (verdict.handOff) {
        logLine("a review window does not show pages from outside its folders; handed to the desktop: " + *verdict.handOff);
        if (m_services.openOutside)
            m_services.openOutside(*verdict.handOff);
    }
    return verdict.policy;
}

void ReviewWC::receiveScriptMessage(const Json& body)
{
    // The channel does not say which frame posted; the top frame's document decides.
    if (!m_services.scriptMessage || !pageIsTrusted())
        return;
    m_services.scriptMessage(*this, body);
}

void ReviewWC::evaluate(const std::string& script)
{
    web->evaluate(script);
}

bool ReviewWC::schemeIsDark() const
{
    return m_services.resolvedScheme && m_services.resolvedScheme() == "dark";
}

void ReviewWC::setBackground(const ui::Color& color)
{
    m_window->setBackgroundColor(color);
    web->setBackgroundColor(color);
}

// Engine runs -------------------------------------------------------------------------------

void ReviewWC::loadReview(const std::vector<std::string>& paths, const std::optional<std::string>& mode)
{
    hasContent = true;
    isOpenSurface = false;
    setBackground(reviewBG(schemeIsDark())); // an open surface had its palette's colour
    isCompareIntake = false;
    loadingFile = makeLoadingFile();
    sourcePaths = paths;
    reviewMode = mode;
    showSpinner();
    if (!loadingFile)
        return;
    std::vector<std::string> arguments { "--choose", "--loading-file", *loadingFile };
    if (mode) {
        arguments.push_back("--mode");
        arguments.push_back(*mode);
    }
    arguments.insert(arguments.end(), paths.begin(), paths.end());
    startEngine(std::move(arguments));
    m_window->present();
    if (m_services.features.scheduleGroupSync)
        m_services.features.scheduleGroupSync(*this);
}

void ReviewWC::showSpinner()
{
    if (!loadingFile)
        return;
    realFileSystem().createDirectories(parentPath(*loadingFile));
    realFileSystem().replaceFile(*loadingFile, globals().loadingHTML);
    web->loadFile(*loadingFile);
}

void ReviewWC::reshellReview(const std::optional<std::string>& folders, const std::optional<std::string>& types, bool remember)
{
    if (!loadingFile)
        return;
    showSpinner();
    std::vector<std::string> arguments { "--loading-file", *loadingFile };
    if (folders) {
        arguments.push_back("--include-folders");
        arguments.push_back(*folders);
    }
    if (types) {
        arguments.push_back("--include-types");
        arguments.push_back(*types);
    }
    if (remember)
        arguments.push_back("--remember");
    arguments.insert(arguments.end(), sourcePaths.begin(), sourcePaths.end());
    startEngine(std::move(arguments));
}

void ReviewWC::reshellChoose(bool reset)
{
    if (!loadingFile)
        return;
    showSpinner();
    startEngine(chooseRunArguments(reset ? "--reset-pref" : nullptr));
}

void ReviewWC::reloadRecache(bool fresh)
{
    if (!hasContent || sourcePaths.empty()) {
        web->reload();
        return;
    }
    if (isReader) {
        if (m_services.features.reloadReaderInPlace)
            m_services.features.reloadReaderInPlace(*this);
        return;
    }
    if (!loadingFile)
        loadingFile = makeLoadingFile();
    if (!loadingFile)
        return;
    showSpinner();
    startEngine(chooseRunArguments(fresh ? "--fresh" : nullptr));
    m_window->present();
}

void ReviewWC::doCancel()
{
    if (!loadingFile)
        return;
    if (m_services.cancelRun)
        m_services.cancelRun(*loadingFile);
    web->loadFile(*loadingFile);
}

void ReviewWC::showHome(const std::optional<std::string>& pagePath)
{
    hasContent = false;
    sourcePaths.clear();
    loadPage(pagePath);
    m_window->present();
}

std::vector<std::string> ReviewWC::chooseRunArguments(const char* option) const
{
    std::vector<std::string> arguments { "--choose", "--loading-file", *loadingFile };
    if (option)
        arguments.emplace_back(option);
    arguments.insert(arguments.end(), sourcePaths.begin(), sourcePaths.end());
    return arguments;
}

std::optional<std::string> ReviewWC::makeLoadingFile() const
{
    if (!m_services.newLoadingFile)
        return std::nullopt;
    return m_services.newLoadingFile();
}

void ReviewWC::startEngine(std::vector<std::string> arguments) const
{
    if (m_services.shellEngine)
        m_services.shellEngine(std::move(arguments));
    else
        logLine("review: no engine launcher; the run was not started");
}

// Page-ready injection ----------------------------------------------------------------------

void ReviewWC::pageDidFinishLoading()
{
    const auto& g = globals();
    const auto scheme = m_services.resolvedScheme && m_services.resolvedScheme() == "dark" ? "dark" : "light";
    evaluate(std::string("try{document.documentElement.dataset.theme='") + scheme + "'}catch(e){}");
    const auto redact = g.brand.modules.find("redact");
    evaluate(std::string("try{window.IKW_REDACT=") + boolText(redact != g.brand.modules.end() && redact->second) + "}catch(e){}");
    const int claimed = m_services.features.claimedDefaultAppTypeCount ? m_services.features.claimedDefaultAppTypeCount() : 0;
    evaluate("try{window.IKW_BRAND_NAME=" + jsQuote(g.brand.name) + ";window.IKW_CLAIMS_IMAGES=" + boolText(claimed > 1) + "}catch(e){}");
    evaluate("try{window.IKW_DEFAULT_OK=1}catch(e){}");
    const auto& features = m_services.features;
    pushEditState();
    pushWordButton();
    pushSetState();
    for (const auto* push : { &features.pushSignatureVault, &features.injectFDABanner }) {
        if (*push)
            (*push)(*this);
    }
    evaluate(ui::guardedCall("ikwSetPinned", features.pinnedJSON ? features.pinnedJSON() : "[]"));
    if (hasContent && !sourcePaths.empty() && sourcePaths != watch.watchedPaths) {
        watch.watchedPaths = sourcePaths;
        startWatching();
    }
    if (isReader)
        startReaderPoll();
}

void ReviewWC::pushEditState()
{
    if (m_services.features.pushEditState)
        m_services.features.pushEditState(*this);
}

void ReviewWC::pushWordButton()
{
    if (m_services.features.pushWordButton)
        m_services.features.pushWordButton(*this);
}

void ReviewWC::pushSetState()
{
    evaluate(ui::guardedCall("ikwSetState", std::to_string(setPaths.size()) + "," + jsQuote(isReader ? "separately" : "together")));
}

void ReviewWC::pushGrid()
{
    if (!isGrid || gridJSON.empty() || sourcePaths.empty())
        return;
    evaluate(ui::guardedCall("ikwGrid", gridJSON + "," + jsQuote(sourcePaths.front())));
}

// Toasts ------------------------------------------------------------------------------------

namespace {

std::string toastScript(const std::string& message)
{
    return "window.__ikwToast && __ikwToast(" + jsQuote(message) + ")";
}

}

void ReviewWC::toastJS(const std::string& message)
{
    evaluate(toastScript(message));
}

void ReviewWC::readerToast(const std::shared_ptr<ui::WebView>& web, const std::string& message)
{
    mainQueue().post([weak = std::weak_ptr<ui::WebView>(web), script = toastScript(message)] {
        if (auto view = weak.lock())
            view->evaluate(script);
    });
}

void ReviewWC::toolToast(ui::WebView& web, const Json& result)
{
    std::string text;
    try {
        text = result.dump();
    } catch (const Json::exception&) {
        return;
    }
    web.evaluate(ui::guardedCall("ikwToolDone", text));
}

// Keep-awake --------------------------------------------------------------------------------

void ReviewWC::beginAwake(std::unique_ptr<ui::KeepAwakeToken>& slot, const std::string& reason)
{
    if (!slot)
        slot = m_services.toolkit->keepAwake().hold(reason);
}

void ReviewWC::endAwake(std::unique_ptr<ui::KeepAwakeToken>& slot)
{
    slot.reset();
}

// Closing -----------------------------------------------------------------------------------

bool ReviewWC::windowShouldClose(std::function<void()> askAgain)
{
    if (!isReader)
        return true;
    std::weak_ptr<ReviewWC> weak = weak_from_this();
    if (!reader.readerClosing) {
        web->evaluate(kCaptureViewScript, [weak](ui::ScriptResult result) {
            auto self = weak.lock();
            if (!self)
                return;
            if (auto state = viewStateOf(result))
                self->reader.lastViewState = std::move(*state);
        });
    }
    if (reader.readerClosing)
        return true;
    if (m_services.features.mayCloseEditor && !m_services.features.mayCloseEditor(*this, askAgain))
        return false;
    web->evaluate(kFlushScript, [weak, askAgain = std::move(askAgain)](ui::ScriptResult result) {
        auto self = weak.lock();
        if (!self)
            return;
        const bool pending = result.value && result.value->is_number() && result.value->get<double>() == 1;
        if (!pending) {
            self->reader.readerClosing = true;
            askAgain();
            return;
        }
        mainQueue().postAfter(kFlushGraceSeconds, [weak, askAgain] {
            auto later = weak.lock();
            if (!later || later->reader.readerClosing)
                return;
            later->reader.readerClosing = true;
            askAgain();
        });
    });
    return false;
}

void ReviewWC::closeTab()
{
    if (m_closed)
        return;
    // Closing drops the window from the list, which may hold the last reference.
    const auto keepAlive = shared_from_this();
    std::weak_ptr<ReviewWC> weak = keepAlive;
    const bool mayClose = windowShouldClose([weak] {
        if (auto self = weak.lock())
            self->closeTab();
    });
    if (!mayClose)
        return;
    const auto tabs = m_tabGroup->live();
    const bool lastTab = std::none_of(tabs.begin(), tabs.end(), [this](const auto& tab) { return tab.get() != this; });
    if (lastTab) {
        // The window's closed handler tells this tab.
        m_window->close();
        return;
    }
    windowWillClose();
    m_window->removeTab(*web);
}

void ReviewWC::windowWillClose()
{
    if (m_closed)
        return;
    const auto keepAlive = shared_from_this();
    auto& features = m_services.features;
    if (features.recordClosedTab)
        features.recordClosedTab(*this);
    if (features.windowClosing)
        features.windowClosing(*this);
    watch.watcher.reset();
    reader.pollTimer.cancel();
    endAwake(readAwake);
    endAwake(speakAwake);
    m_closed = true;
    if (m_services.closed)
        m_services.closed(*this);
}

void ReviewWC::newWindowForTab()
{
    if (m_services.showWelcomeTab)
        m_services.showWelcomeTab(*this);
}

void ReviewWC::moveToNewWindow()
{
    if (m_closed || m_tabGroup->live().size() < 2)
        return;
    auto [window, group] = makeReviewWindow(m_services);
    moveTo(std::move(window), std::move(group));
}

void ReviewWC::moveToWindowOf(ReviewWC& host)
{
    if (m_closed || host.m_closed || host.m_window == m_window)
        return;
    moveTo(host.m_window, host.m_tabGroup);
}

void ReviewWC::moveTo(std::shared_ptr<ui::Window> window, std::shared_ptr<ReviewTabGroup> group)
{
    const auto keepAlive = shared_from_this();
    const std::string title = m_window->tabTitle(*web);
    std::erase_if(m_tabGroup->tabs, [this](const auto& tab) {
        const auto member = tab.lock();
        return !member || member.get() == this;
    });
    const auto oldWindow = std::exchange(m_window, std::move(window));
    m_tabGroup = std::move(group);
    m_tabGroup->tabs.push_back(keepAlive);
    oldWindow->removeTab(*web);
    m_window->addTab(web, title);
    if (!m_representedFile.empty())
        m_window->setRepresentedFile(m_representedFile);
    // The tab left its window empty: the window goes (its group has no member left to tell).
    if (oldWindow->tabCount() == 0)
        oldWindow->close();
    m_window->present();
}

// Title -------------------------------------------------------------------------------------

void ReviewWC::representFile(const std::string& path)
{
    m_representedFile = path;
    m_window->setRepresentedFile(path);
}

void ReviewWC::pageTitleChanged(const std::string& title)
{
    if (!m_representedFile.empty() || title.empty())
        return;
    m_window->setTabTitle(*web, title);
    if (m_window->tab(m_window->selectedTab()) == web)
        m_window->setTitle(title);
}

// Downloads ---------------------------------------------------------------------------------

std::optional<std::string> ReviewWC::downloadDestination(const std::string& suggestedName)
{
    const auto folder = globals().paths.downloadsDir();
    realFileSystem().createDirectories(folder);
    auto destination = freeDownloadPath(folder, suggestedName, [](const std::string& path) { return realFileSystem().exists(path); });
    m_pendingDownloadName = destination ? lastPathComponent(*destination) : lastPathComponent(suggestedName);
    return destination;
}

void ReviewWC::downloadFinished(const std::optional<std::string>& savedPath)
{
    if (savedPath)
        toastJS("Downloaded \u201C" + lastPathComponent(*savedPath) + "\u201D to Downloads");
    else
        toastJS("The download of \u201C" + m_pendingDownloadName + "\u201D failed");
}

}
