#pragma once

#include "platform/ui/Toolkit.h"
#include "platform/core/GObjectRef.h"
#include "platform/ui/gtk/SchemeRequest.h"
#include "platform/ui/gtk/WebContext.h"

#include <webkit2/webkit2.h>

namespace ikw::ui::gtk3 {

class WebView final : public ui::WebView {
public:
    WebView(std::shared_ptr<WebContext> context, const WebViewOptions& options);
    ~WebView() override;
    WebView(const WebView&) = delete;
    WebView& operator=(const WebView&) = delete;

    void loadFile(const std::string& path) override;
    void loadUrl(const std::string& url) override;
    void loadHtml(const std::string& html, const std::string& baseUrl) override;
    void reload() override;
    std::string url() const override;
    std::string documentUrl() const override { return m_documentUrl; }

    void setNavigationPolicy(std::function<NavigationPolicy(const NavigationAction&)> policy) override { m_policy = std::move(policy); }
    void setResponsePolicy(std::function<ResponsePolicy(const DocumentResponse&)> policy) override { m_responsePolicy = std::move(policy); }
    void setLoadHandlers(std::function<void()> finished, std::function<void(const std::string&)> failed) override;
    void setFileDropHandler(std::function<void(const std::vector<std::string>&, double, double, double)> dropped) override;
    void setTitleHandler(std::function<void(const std::string&)> changed) override { m_titleChanged = std::move(changed); }
    void setScriptMessageHandler(std::function<void(const Json& body)> handler) override { m_messageHandler = std::move(handler); }
    void addUserScript(const std::string& source) override;

    void evaluate(const std::string& script, std::function<void(ScriptResult)> completion) override;
    void callAsync(const std::string& body, const Json& arguments, std::function<void(ScriptResult)> completion) override;
    void snapshot(std::function<void(std::optional<std::string> png, std::string error)> completion) override;

    void setDownloadEvents(DownloadEvents events) override { m_downloads = std::move(events); }
    void download(const std::string& url) override;
    void setFileChooserHandler(FileChooserHandler handler) override { m_fileChooser = std::move(handler); }
    void setBackgroundColor(const Color& color) override;
    void executeEditingCommand(EditingCommand command) override;

    GtkWidget* widget() const { return GTK_WIDGET(m_view.get()); }

private:
    static gboolean onDecidePolicy(WebKitWebView*, WebKitPolicyDecision*, WebKitPolicyDecisionType, gpointer self);
    gboolean decideNavigation(WebKitNavigationPolicyDecision* decision, bool newWindow);
    gboolean decideResponse(WebKitResponsePolicyDecision* decision);
    static void onLoadChanged(WebKitWebView*, WebKitLoadEvent, gpointer self);
    static void onTitleChanged(WebKitWebView*, GParamSpec*, gpointer self);
    // File drops are taken before the web view's own drag handling sees them.
    static gboolean onDragMotion(GtkWidget*, GdkDragContext*, gint x, gint y, guint time, gpointer self);
    static gboolean onDragDrop(GtkWidget*, GdkDragContext*, gint x, gint y, guint time, gpointer self);
    static void onDragDataReceived(GtkWidget*, GdkDragContext*, gint x, gint y, GtkSelectionData*, guint info, guint time, gpointer self);
    bool offersFiles(GdkDragContext* context) const;
    static gboolean onLoadFailed(WebKitWebView*, WebKitLoadEvent, gchar* uri, GError*, gpointer self);
    static void onScriptMessage(WebKitUserContentManager*, WebKitJavascriptResult*, gpointer self);
    static gboolean onFileChooser(WebKitWebView*, WebKitFileChooserRequest*, gpointer self);
    static void onDownloadStarted(WebKitWebContext*, WebKitDownload*, gpointer self);
    void followDownload(WebKitDownload* download);
    // The page's scheme requests are stopped (its document has been replaced); the next page gets
    // a fresh flag.
    void stopPageRequests();

    std::shared_ptr<WebContext> m_context;
    GObjectRef<WebKitUserContentManager> m_content;
    GObjectRef<WebKitWebView> m_view;
    PageStop m_pageStop;
    std::function<NavigationPolicy(const NavigationAction&)> m_policy;
    std::function<ResponsePolicy(const DocumentResponse&)> m_responsePolicy;
    std::string m_documentUrl;
    bool m_committed = false; // the load under way has replaced the page and not failed
    bool m_programLoadPending = false; // the next plain navigation is a load the program started
    std::function<void()> m_loadFinished;
    std::function<void(const std::string&)> m_loadFailed;
    std::function<void(const Json&)> m_messageHandler;
    std::function<void(const std::string&)> m_titleChanged;
    std::function<void(const std::vector<std::string>&, double, double, double)> m_fileDropped;
    bool m_takingDrop = false;
    double m_dropX = 0, m_dropY = 0, m_dropWidth = 0;
    DownloadEvents m_downloads;
    FileChooserHandler m_fileChooser;
};

}
