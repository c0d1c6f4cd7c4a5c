#pragma once

#include "platform/core/Json.h"
#include "platform/core/TaskQueue.h"
#include "platform/speech/Speech.h"
#include "platform/ui/Toolkit.h"
#include "review/FileStamp.h"
#include "review/FolderWatcher.h"
#include "review/ReviewServices.h"

#include <any>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ikw {

// "auto_refresh": on unless it is the JSON false.
bool cfgAutoRefresh(const Json& settings);
// Review windows float only when "always_on_top" is the JSON true.
ui::WindowLevel windowLevelFor(const Json& settings);

struct ReviewTabGroup;

// Per-feature window state. The features own their meaning; the window only holds it.
struct SignRunState {
    std::vector<std::string> signRunPaths;
    int signRunIndex = 0;
};

struct TimelineState {
    bool isTimeline = false;
    std::vector<std::string> timelinePaths;
    std::string timelineDraftsJSON;
    std::map<std::string, std::string> timelineDiffs;
};

struct EditProbeState {
    std::optional<bool> editProbeEditable; // nothing until the probe ran
    std::vector<std::string> editProbeWhy;
};

// The text editor laid over a reader (docops/EditorMode.h). The editor's views (its text, scroll
// view, canvas, Read/Edit switch, status label and notice strip) all live in `editorHost`, and its
// observers are the handlers set on it: dropping the host drops them.
struct EditorState {
    std::shared_ptr<ui::PageEditor> editorHost; // set exactly while the editor is open
    bool editorDirty = false;
    std::int64_t editorInkPassPending = 0;      // generation of the delayed night-ink pass; only grows
    std::optional<std::string> editorDocPath;   // the file the editor writes to
    std::optional<int> editorKeyMonitor;
    int editorSeg = 0;                          // the Read/Edit switch's place among the toolbar's controls
    std::any editorSource;                      // what the editor keeps of the file as read (docops' type)
};

struct GroupSyncState {
    std::string groupSyncSig;
    Timer groupSyncTimer;
};

// A reader's view of its file on disk.
struct ReaderState {
    std::optional<FileStamp> loadedStamp;
    Timer pollTimer;
    std::optional<std::string> pendingViewRestore; // view state to hand back after a reload
    std::optional<std::string> lastViewState;      // view state captured when the reader closed
    bool readerClosing = false;                    // the close was settled; the next request passes
};

// Read aloud: the window's synthesizer (made for the first reading), the generation of the
// current request and the voice chosen automatically.
struct SpeechState {
    std::unique_ptr<speech::Synthesizer> speaker;
    std::int64_t speakGen = 0;
    std::optional<speech::Voice> speakVoice;
};

// A reader's annotated copy: the source signature of its document when the reader was given its
// pages (see crossdoc/AnnotationSidecars.h). Nothing: the reader was not opened by that rule.
struct AnnotationState {
    std::optional<std::string> loadedSig;
};

struct WatchState {
    std::unique_ptr<FolderWatcher> watcher;
    std::vector<std::string> watchedPaths;
};

// A script-message receiver that the web view can hold without keeping the window alive: the
// view's handler holds this forwarder, the forwarder holds the window weakly.
class IkwWeakMsgProxy {
public:
    explicit IkwWeakMsgProxy(std::weak_ptr<ReviewWC> target) : m_target(std::move(target)) {}
    void operator()(const Json& body) const;

private:
    std::weak_ptr<ReviewWC> m_target;
};

// One review tab: a web view showing an engine page, a generated page or a document, inside a
// window it may share with other tabs. Main thread only, except readerToast.
class ReviewWC : public std::enable_shared_from_this<ReviewWC> {
public:
    // Builds the tab and loads `pagePath` (a local file); nothing shows the loading page instead.
    // With a host the tab joins the host's window.
    static std::shared_ptr<ReviewWC> create(ReviewServices& services, const std::optional<std::string>& pagePath,
        ReviewWC* tabbingHost = nullptr);
    ~ReviewWC();
    ReviewWC(const ReviewWC&) = delete;
    ReviewWC& operator=(const ReviewWC&) = delete;

    ui::WebView& webView() const { return *web; }
    ui::Window& window() const { return *m_window; }
    const std::shared_ptr<ui::Window>& sharedWindow() const { return m_window; }
    bool isClosed() const { return m_closed; }

    // Engine runs.
    void loadReview(const std::vector<std::string>& paths, const std::optional<std::string>& mode);
    void showSpinner();
    void reshellReview(const std::optional<std::string>& folders, const std::optional<std::string>& types, bool remember);
    void reshellChoose(bool reset);
    void reloadRecache(bool fresh);
    void doCancel();
    // Shows a page file in this tab as its home page (the welcome page); nothing: the loading text.
    void showHome(const std::optional<std::string>& pagePath);

    // Page pushes and toasts.
    void pushEditState();
    void pushWordButton();
    void pushSetState();
    void pushGrid();
    void toastJS(const std::string& message);
    static void readerToast(const std::shared_ptr<ui::WebView>& web, const std::string& message);
    static void toolToast(ui::WebView& web, const Json& result);
    void evaluate(const std::string& script);
    // The colour behind the window and its page (so that a loading page does not flash white).
    void setBackground(const ui::Color& color);
    // Whether the application's scheme is dark now.
    bool schemeIsDark() const;

    // Keep-awake slots.
    void beginAwake(std::unique_ptr<ui::KeepAwakeToken>& slot, const std::string& reason);
    static void endAwake(std::unique_ptr<ui::KeepAwakeToken>& slot);

    // Change detection.
    void stampLoadedFile(const std::string& path);
    bool diskChangedSinceLoad(const std::string& path) const;
    void okToOverwriteInPlace(const std::string& path, std::function<void(bool)> answer);
    void startReaderPoll();
    void refreshReaderPreservingView();
    void autoRefresh();
    void autoRefreshNote();
    void startWatching();

    // Drops.
    void readerDrop(const std::vector<std::string>& paths, DropPoint point);
    void openHere(const std::vector<std::string>& paths);

    // The file the tab stands for (a reader's document); such a tab keeps the title it was given.
    void representFile(const std::string& path);
    const std::string& representedFile() const { return m_representedFile; }
    void pageTitleChanged(const std::string& title);

    // Closing: whether the tab may close now. A reader settles its page first and then calls
    // `askAgain`, which repeats the close that asked (the window's or the tab's own).
    bool windowShouldClose(std::function<void()> askAgain);
    void windowWillClose();
    // Closes this tab as its own close would, reader steps included; the window goes with its
    // last tab.
    void closeTab();
    void newWindowForTab();
    // Moves this tab, page and state as they are, into a window of its own; nothing when it is
    // alone in its window.
    void moveToNewWindow();
    // Moves this tab into the window of `host`; a window left without tabs closes.
    void moveToWindowOf(ReviewWC& host);

    // Fields shared with the features.
    std::shared_ptr<ui::WebView> web;
    std::vector<std::string> sourcePaths;
    std::vector<std::string> setPaths;
    std::optional<std::string> loadingFile;
    std::optional<std::string> reviewMode;
    bool hasContent = false;
    bool isReader = false;
    bool isGrid = false;
    std::string gridJSON;
    bool isOrganize = false;
    bool isRedact = false;
    bool isBates = false;
    bool isOpenSurface = false;
    bool isCampaign = false;
    bool isCompareIntake = false;
    bool isPdfEdit = false;
    bool aiTocRunning = false;
    const std::string bridgeId;
    std::unique_ptr<ui::KeepAwakeToken> readAwake;
    std::unique_ptr<ui::KeepAwakeToken> speakAwake;

    ReaderState reader;
    WatchState watch;
    SignRunState signRun;
    TimelineState timeline;
    EditProbeState editProbe;
    EditorState editor;
    GroupSyncState groupSync;
    SpeechState speech;
    AnnotationState annotations;

    // The whole page-ready injection (run after every finished load of the top frame).
    void pageDidFinishLoading();
    // Whether the page the top frame shows may use the bridge (actions, messages, schemes).
    bool pageIsTrusted() const;

private:
    ReviewWC(ReviewServices& services, std::shared_ptr<ui::WebView> view, std::shared_ptr<ui::Window> window);
    void wire(const std::optional<std::string>& pagePath);
    void loadPage(const std::optional<std::string>& pagePath);
    void receiveScriptMessage(const Json& body);
    ui::NavigationPolicy decideNavigation(const ui::NavigationAction& action);
    ui::ResponsePolicy decideDocument(const ui::DocumentResponse& document);
    void pollTick();
    std::optional<std::string> makeLoadingFile() const;
    // A rerun of the chooser: "--choose", the loading file, `option` when given, the sources.
    std::vector<std::string> chooseRunArguments(const char* option) const;
    void startEngine(std::vector<std::string> arguments) const;
    std::optional<std::string> downloadDestination(const std::string& suggestedName);
    void downloadFinished(const std::optional<std::string>& savedPath);
    void moveTo(std::shared_ptr<ui::Window> window, std::shared_ptr<ReviewTabGroup> group);

    ReviewServices& m_services;
    std::shared_ptr<ui::Window> m_window;
    std::shared_ptr<ReviewTabGroup> m_tabGroup;
    bool m_closed = false;
    std::string m_pendingDownloadName;
    std::string m_representedFile;

    friend class IkwWeakMsgProxy;
};

}
