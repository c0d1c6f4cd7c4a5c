#pragma once

#include "platform/core/Json.h"
#include "platform/ui/Color.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace ikw::ui {

// The answer to a request of a custom URL scheme. `headers` replace every header of the response.
struct SchemeResponse {
    int status = 200;
    std::string mimeType = "application/octet-stream";
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
};

// One request of a custom scheme. The handler may keep it and answer from any thread; the answer
// is handed to the web view on the main thread. A request counts as stopped once its view has
// navigated away or gone; answering a stopped request does nothing.
class SchemeRequest {
public:
    virtual ~SchemeRequest() = default;
    virtual const std::string& url() const = 0;
    // The document shown by the view that asked (its top frame's committed URL); empty when the
    // request does not come from one of our views.
    virtual const std::string& pageUrl() const = 0;
    virtual bool isStopped() const = 0;
    virtual void respond(SchemeResponse response) = 0;
    virtual void fail(std::string message) = 0;
};

// Called on the main thread for every request of the scheme.
using SchemeHandler = std::function<void(std::shared_ptr<SchemeRequest>)>;

// The process-level settings of a group of web views: the custom schemes live here, so views that
// must see a scheme share one context.
class WebContext {
public:
    virtual ~WebContext() = default;
    // Registers a scheme ("vtpdf") for every view of this context. The scheme may be read by
    // fetch() from file pages (it is CORS-enabled; answers still need Access-Control-Allow-Origin).
    virtual void registerScheme(const std::string& scheme, SchemeHandler handler) = 0;
};

// A navigation the page or the user started; `newWindow` marks target=_blank and window.open().
struct NavigationAction {
    std::string url;
    bool newWindow = false;
};

enum class NavigationPolicy { Allow, Cancel };

// The document a frame of the view is about to show: the response to the frame's own load.
struct DocumentResponse {
    std::string url;
    std::string mimeType;
    bool mainFrame = true;
    bool canShow = true; // the view can display the type itself
};

enum class ResponsePolicy { Show, Refuse, Download };

// The outcome of a script evaluation: the result as JSON, or the error text.
struct ScriptResult {
    std::optional<Json> value;
    std::optional<std::string> error;
};

struct DownloadEvents {
    // The path to save `suggestedName` from `url` at; nothing cancels the download.
    std::function<std::optional<std::string>(const std::string& url, const std::string& suggestedName)> destination;
    // Called once: the saved path, or nothing when the download failed or was cancelled.
    std::function<void(std::optional<std::string> savedPath)> finished;
};

// The page's own file-open dialog (<input type=file>): answer the paths, or nothing to cancel.
struct FileChooserRequest {
    bool allowsMultiple = false;
    std::vector<std::string> mimeTypes;
};
using FileChooserHandler = std::function<std::optional<std::vector<std::string>>(const FileChooserRequest&)>;

enum class EditingCommand { Cut, Copy, Paste, SelectAll, Undo, Redo };

// A web view. Main thread only.
class WebView {
public:
    virtual ~WebView() = default;

    virtual void loadFile(const std::string& path) = 0;
    virtual void loadUrl(const std::string& url) = 0;
    virtual void loadHtml(const std::string& html, const std::string& baseUrl) = 0;
    virtual void reload() = 0;
    // The URL of the page's top frame, a load under way included.
    virtual std::string url() const = 0;
    // The URL of the document the top frame shows now: a load under way does not change it until
    // its document replaces the old one.
    virtual std::string documentUrl() const = 0;

    // Sees every navigation the page starts (new-window requests included) before it happens; the
    // loads the program asks for with loadFile, loadUrl and loadHtml are not put to it.
    virtual void setNavigationPolicy(std::function<NavigationPolicy(const NavigationAction&)> policy) = 0;
    // Sees the document of every frame before it shows, the loads the program asks for included.
    // Without a policy the view shows what it can and refuses the rest.
    virtual void setResponsePolicy(std::function<ResponsePolicy(const DocumentResponse&)> policy) = 0;
    // A page finished loading (a load that never replaced the page, refused or failed, is no
    // finished page), or a load failed (with the reason).
    virtual void setLoadHandlers(std::function<void()> finished, std::function<void(const std::string&)> failed) = 0;
    // Files dragged from the desktop onto the view (text/uri-list) go to this handler instead of
    // the page: the local paths, in order, the drop point from the view's top left corner and the
    // view's width at the time of the drop.
    virtual void setFileDropHandler(std::function<void(const std::vector<std::string>& paths, double x, double y, double viewWidth)> dropped) = 0;
    // The page's title changed (every change, the empty title included).
    virtual void setTitleHandler(std::function<void(const std::string& title)> changed) = 0;
    // Messages the page posts with window.webkit.messageHandlers.inkwarden.postMessage(body).
    virtual void setScriptMessageHandler(std::function<void(const Json& body)> handler) = 0;
    // A script run at the start of every document of the top frame.
    virtual void addUserScript(const std::string& source) = 0;

    virtual void evaluate(const std::string& script, std::function<void(ScriptResult)> completion = {}) = 0;
    // Runs `body` as the body of an async function with `arguments`' members as its parameters;
    // the completion sees the awaited value.
    virtual void callAsync(const std::string& body, const Json& arguments, std::function<void(ScriptResult)> completion) = 0;

    // The visible area as PNG bytes, or nothing with the reason.
    virtual void snapshot(std::function<void(std::optional<std::string> png, std::string error)> completion) = 0;

    virtual void setDownloadEvents(DownloadEvents events) = 0;
    virtual void download(const std::string& url) = 0;
    virtual void setFileChooserHandler(FileChooserHandler handler) = 0;

    // What shows where the page paints nothing (before its first paint, behind a transparent page).
    virtual void setBackgroundColor(const Color& color) = 0;
    // Runs an editing command on the page's selection or focused field.
    virtual void executeEditingCommand(EditingCommand command) = 0;
};

}
