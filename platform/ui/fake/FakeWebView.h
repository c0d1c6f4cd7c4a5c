#pragma once

#include "platform/ui/Toolkit.h"
#include "platform/ui/WebView.h"

#include <map>
#include <string>
#include <vector>

namespace ikw::ui::fake {

// A scheme request whose answer is kept for the test to read.
class FakeSchemeRequest final : public SchemeRequest {
public:
    explicit FakeSchemeRequest(std::string url, std::string pageUrl = {}) : m_url(std::move(url)), m_pageUrl(std::move(pageUrl)) {}
    const std::string& url() const override { return m_url; }
    const std::string& pageUrl() const override { return m_pageUrl; }
    bool isStopped() const override { return stopped; }
    void respond(SchemeResponse answer) override { response = std::move(answer); }
    void fail(std::string message) override { failure = std::move(message); }

    bool stopped = false;
    std::optional<SchemeResponse> response;
    std::optional<std::string> failure;

private:
    std::string m_url;
    std::string m_pageUrl;
};

class FakeWebContext final : public WebContext {
public:
    void registerScheme(const std::string& scheme, SchemeHandler handler) override { schemes[scheme] = std::move(handler); }
    // Runs the scheme's handler for `url`, asked by a page at `pageUrl`, and hands back the
    // request for inspection.
    std::shared_ptr<FakeSchemeRequest> request(const std::string& scheme, const std::string& url, const std::string& pageUrl = {});

    std::map<std::string, SchemeHandler> schemes;
};

// Records what the product asked of the view; the test plays the page's part.
class FakeWebView final : public WebView {
public:
    void loadFile(const std::string& path) override { loads.push_back("file://" + path); m_url = loads.back(); }
    void loadUrl(const std::string& url) override { loads.push_back(url); m_url = url; }
    void loadHtml(const std::string& html, const std::string& baseUrl) override { htmlLoads.push_back({ html, baseUrl }); m_url = baseUrl; }
    void reload() override { ++reloads; }
    std::string url() const override { return m_url; }
    std::string documentUrl() const override { return m_url; }

    void setNavigationPolicy(std::function<NavigationPolicy(const NavigationAction&)> policy) override { m_policy = std::move(policy); }
    void setResponsePolicy(std::function<ResponsePolicy(const DocumentResponse&)> policy) override { m_responsePolicy = std::move(policy); }
    void setLoadHandlers(std::function<void()> finished, std::function<void(const std::string&)> failed) override;
    void setFileDropHandler(std::function<void(const std::vector<std::string>&, double, double, double)> dropped) override { m_dropped = std::move(dropped); }
    void setTitleHandler(std::function<void(const std::string&)> changed) override { m_titleChanged = std::move(changed); }
    void setScriptMessageHandler(std::function<void(const Json&)> handler) override { m_messageHandler = std::move(handler); }
    void addUserScript(const std::string& source) override { userScripts.push_back(source); }

    // Evaluations are recorded; the completion gets `nextResult` (null by default).
    void evaluate(const std::string& script, std::function<void(ScriptResult)> completion) override;
    void callAsync(const std::string& body, const Json& arguments, std::function<void(ScriptResult)> completion) override;
    void snapshot(std::function<void(std::optional<std::string>, std::string)> completion) override;

    void setDownloadEvents(DownloadEvents events) override { downloadEvents = std::move(events); }
    void download(const std::string& url) override { downloads.push_back(url); }
    void setFileChooserHandler(FileChooserHandler handler) override { fileChooser = std::move(handler); }
    void setBackgroundColor(const Color& color) override { background = color; }
    void executeEditingCommand(EditingCommand command) override { editingCommands.push_back(command); }

    // The page's side.
    NavigationPolicy navigate(const NavigationAction& action);
    // A frame's document arrives; without a policy the view shows what it can.
    ResponsePolicy respond(const DocumentResponse& document);
    void postMessage(const Json& body);
    void dropFiles(const std::vector<std::string>& paths, double x, double y, double viewWidth = 0)
    {
        if (m_dropped)
            m_dropped(paths, x, y, viewWidth);
    }
    void changeTitle(const std::string& title)
    {
        if (m_titleChanged)
            m_titleChanged(title);
    }
    void finishLoading();
    void failLoading(const std::string& reason);

    std::vector<std::string> loads;
    std::vector<std::pair<std::string, std::string>> htmlLoads; // html, base URL
    std::vector<std::string> evaluated;
    std::vector<std::string> userScripts;
    std::vector<std::string> downloads;
    std::vector<EditingCommand> editingCommands;
    int reloads = 0;
    ScriptResult nextResult { Json(nullptr), std::nullopt };
    // The page's own answer to a callAsync (a stand-in for its functions); empty: `nextResult`.
    std::function<ScriptResult(const std::string& body, const Json& arguments)> answerCall;
    // A page that is slow or never answers: completions wait here until the test calls them.
    bool holdAnswers = false;
    std::vector<std::function<void(ScriptResult)>> heldAnswers;
    std::optional<std::string> snapshotPng = std::string("\x89PNG", 4);
    DownloadEvents downloadEvents;
    FileChooserHandler fileChooser;
    std::optional<Color> background;
    // How the toolkit made the view.
    WebViewOptions options;
    std::shared_ptr<WebContext> context;

private:
    std::string m_url;
    std::function<NavigationPolicy(const NavigationAction&)> m_policy;
    std::function<ResponsePolicy(const DocumentResponse&)> m_responsePolicy;
    std::function<void()> m_loadFinished;
    std::function<void(const std::string&)> m_loadFailed;
    std::function<void(const Json&)> m_messageHandler;
    std::function<void(const std::string&)> m_titleChanged;
    std::function<void(const std::vector<std::string>&, double, double, double)> m_dropped;
};

}
