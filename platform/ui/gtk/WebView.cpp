#include "platform/ui/gtk/WebView.h"

#include "platform/core/Text.h"

#include <cairo.h>

#include <regex>

namespace ikw::ui::gtk3 {

namespace {

constexpr const char* kMessageChannel = "inkwarden";

ScriptResult resultOf(JSCValue* value, GError* error)
{
    ScriptResult result;
    if (error) {
        result.error = error->message;
        g_error_free(error);
        return result;
    }
    result.value = Json(nullptr);
    if (value && !jsc_value_is_undefined(value)) {
        if (char* text = jsc_value_to_json(value, 0)) {
            if (auto parsed = parseJson(text))
                result.value = std::move(*parsed);
            g_free(text);
        }
    }
    if (value)
        g_object_unref(value);
    return result;
}

using Completion = std::function<void(ScriptResult)>;

void onEvaluated(GObject* source, GAsyncResult* asyncResult, gpointer data)
{
    std::unique_ptr<Completion> completion(static_cast<Completion*>(data));
    GError* error = nullptr;
    JSCValue* value = webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(source), asyncResult, &error);
    if (*completion)
        (*completion)(resultOf(value, error));
    else if (value)
        g_object_unref(value);
    else if (error)
        g_error_free(error);
}

void onAsyncCalled(GObject* source, GAsyncResult* asyncResult, gpointer data)
{
    std::unique_ptr<Completion> completion(static_cast<Completion*>(data));
    GError* error = nullptr;
    JSCValue* value = webkit_web_view_call_async_javascript_function_finish(WEBKIT_WEB_VIEW(source), asyncResult, &error);
    (*completion)(resultOf(value, error));
}

cairo_status_t appendPng(void* closure, const unsigned char* data, unsigned int length)
{
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
}

using SnapshotCompletion = std::function<void(std::optional<std::string>, std::string)>;

void onSnapshot(GObject* source, GAsyncResult* asyncResult, gpointer data)
{
    std::unique_ptr<SnapshotCompletion> completion(static_cast<SnapshotCompletion*>(data));
    GError* error = nullptr;
    cairo_surface_t* surface = webkit_web_view_get_snapshot_finish(WEBKIT_WEB_VIEW(source), asyncResult, &error);
    if (!surface) {
        const std::string message = error ? error->message : "no image";
        if (error)
            g_error_free(error);
        (*completion)(std::nullopt, message);
        return;
    }
    std::string png;
    const cairo_status_t status = cairo_surface_write_to_png_stream(surface, appendPng, &png);
    cairo_surface_destroy(surface);
    if (status != CAIRO_STATUS_SUCCESS)
        (*completion)(std::nullopt, cairo_status_to_string(status));
    else
        (*completion)(std::move(png), "");
}

bool isIdentifier(const std::string& name)
{
    static const std::regex identifier("[A-Za-z_$][A-Za-z0-9_$]*");
    return std::regex_match(name, identifier);
}

}

WebView::WebView(std::shared_ptr<WebContext> context, const WebViewOptions& options)
    : m_context(std::move(context))
    , m_content(GObjectRef<WebKitUserContentManager>::adopt(webkit_user_content_manager_new()))
    , m_pageStop(std::make_shared<std::atomic<bool>>(false))
{
    GtkWidget* view = GTK_WIDGET(g_object_new(WEBKIT_TYPE_WEB_VIEW,
        "web-context", m_context->native(),
        "user-content-manager", m_content.get(),
        nullptr));
    m_view = GObjectRef<WebKitWebView>::adopt(WEBKIT_WEB_VIEW(g_object_ref_sink(view)));
    setPageStop(m_view.get(), m_pageStop);

    WebKitSettings* settings = webkit_web_view_get_settings(m_view.get());
    // Review pages are local files that read their neighbours and our schemes; a view that may
    // show anything else keeps WebKit's default (no reading across local files).
    webkit_settings_set_allow_file_access_from_file_urls(settings, options.fileAccessFromFileUrls);
    webkit_settings_set_allow_universal_access_from_file_urls(settings, options.fileAccessFromFileUrls);
    webkit_settings_set_javascript_can_access_clipboard(settings, TRUE);
    // target=_blank links and window.open() must reach the navigation policy, not a popup blocker.
    webkit_settings_set_javascript_can_open_windows_automatically(settings, TRUE);
    if (options.width > 0 && options.height > 0)
        gtk_widget_set_size_request(view, options.width, options.height);

    if (options.scriptMessages) {
        webkit_user_content_manager_register_script_message_handler(m_content.get(), kMessageChannel);
        g_signal_connect(m_content.get(), "script-message-received::inkwarden", G_CALLBACK(onScriptMessage), this);
    }
    g_signal_connect(view, "decide-policy", G_CALLBACK(onDecidePolicy), this);
    g_signal_connect(view, "load-changed", G_CALLBACK(onLoadChanged), this);
    g_signal_connect(view, "notify::title", G_CALLBACK(onTitleChanged), this);
    g_signal_connect(view, "drag-motion", G_CALLBACK(onDragMotion), this);
    g_signal_connect(view, "drag-drop", G_CALLBACK(onDragDrop), this);
    g_signal_connect(view, "drag-data-received", G_CALLBACK(onDragDataReceived), this);
    g_signal_connect(view, "load-failed", G_CALLBACK(onLoadFailed), this);
    g_signal_connect(view, "run-file-chooser", G_CALLBACK(onFileChooser), this);
    g_signal_connect(m_context->native(), "download-started", G_CALLBACK(onDownloadStarted), this);
}

WebView::~WebView()
{
    stopPageRequests();
    g_signal_handlers_disconnect_by_data(m_view.get(), this);
    g_signal_handlers_disconnect_by_data(m_content.get(), this);
    g_signal_handlers_disconnect_by_data(m_context->native(), this);
    // Our completions own their closures, so a late answer finds nothing of this object.
    webkit_web_view_try_close(m_view.get());
    gtk_widget_destroy(widget());
}

void WebView::stopPageRequests()
{
    m_pageStop->store(true);
    m_pageStop = std::make_shared<std::atomic<bool>>(false);
    setPageStop(m_view.get(), m_pageStop);
}

void WebView::loadFile(const std::string& path)
{
    GError* error = nullptr;
    char* uri = g_filename_to_uri(path.c_str(), nullptr, &error);
    if (!uri) {
        if (m_loadFailed)
            m_loadFailed(error ? error->message : "not a file path");
        if (error)
            g_error_free(error);
        return;
    }
    m_programLoadPending = true;
    webkit_web_view_load_uri(m_view.get(), uri);
    g_free(uri);
}

void WebView::loadUrl(const std::string& url)
{
    m_programLoadPending = true;
    webkit_web_view_load_uri(m_view.get(), url.c_str());
}

void WebView::loadHtml(const std::string& html, const std::string& baseUrl)
{
    m_programLoadPending = true;
    webkit_web_view_load_html(m_view.get(), html.c_str(), baseUrl.empty() ? nullptr : baseUrl.c_str());
}

void WebView::reload()
{
    webkit_web_view_reload(m_view.get());
}

std::string WebView::url() const
{
    const char* uri = webkit_web_view_get_uri(m_view.get());
    return uri ? uri : "";
}

void WebView::setLoadHandlers(std::function<void()> finished, std::function<void(const std::string&)> failed)
{
    m_loadFinished = std::move(finished);
    m_loadFailed = std::move(failed);
}

void WebView::addUserScript(const std::string& source)
{
    WebKitUserScript* script = webkit_user_script_new(source.c_str(), WEBKIT_USER_CONTENT_INJECT_TOP_FRAME,
        WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_START, nullptr, nullptr);
    webkit_user_content_manager_add_script(m_content.get(), script);
    webkit_user_script_unref(script);
}

void WebView::evaluate(const std::string& script, std::function<void(ScriptResult)> completion)
{
    webkit_web_view_evaluate_javascript(m_view.get(), script.c_str(), static_cast<gssize>(script.size()), nullptr, nullptr,
        nullptr, onEvaluated, new Completion(std::move(completion)));
}

void WebView::callAsync(const std::string& body, const Json& arguments, std::function<void(ScriptResult)> completion)
{
    // Arguments travel as JSON literals declared ahead of the body: any JSON value survives intact,
    // which a GVariant dictionary would not guarantee.
    std::string prologue;
    if (arguments.is_object()) {
        for (const auto& [name, value] : arguments.items()) {
            if (!isIdentifier(name)) {
                completion(ScriptResult { std::nullopt, "not a parameter name: " + name });
                return;
            }
            prologue += "const " + name + " = " + toJson(value) + ";\n";
        }
    }
    const std::string script = prologue + body;
    webkit_web_view_call_async_javascript_function(m_view.get(), script.c_str(), static_cast<gssize>(script.size()),
        nullptr, nullptr, nullptr, nullptr, onAsyncCalled, new Completion(std::move(completion)));
}

void WebView::snapshot(std::function<void(std::optional<std::string>, std::string)> completion)
{
    webkit_web_view_get_snapshot(m_view.get(), WEBKIT_SNAPSHOT_REGION_VISIBLE, WEBKIT_SNAPSHOT_OPTIONS_NONE, nullptr,
        onSnapshot, new SnapshotCompletion(std::move(completion)));
}

void WebView::download(const std::string& url)
{
    // The context's download-started signal follows it like a download the page started.
    GObjectRef<WebKitDownload>::adopt(webkit_web_view_download_uri(m_view.get(), url.c_str()));
}

gboolean WebView::onDecidePolicy(WebKitWebView*, WebKitPolicyDecision* decision, WebKitPolicyDecisionType type, gpointer data)
{
    auto* self = static_cast<WebView*>(data);
    switch (type) {
    case WEBKIT_POLICY_DECISION_TYPE_NAVIGATION_ACTION:
        return self->decideNavigation(WEBKIT_NAVIGATION_POLICY_DECISION(decision), false);
    case WEBKIT_POLICY_DECISION_TYPE_NEW_WINDOW_ACTION:
        return self->decideNavigation(WEBKIT_NAVIGATION_POLICY_DECISION(decision), true);
    case WEBKIT_POLICY_DECISION_TYPE_RESPONSE:
        return self->decideResponse(WEBKIT_RESPONSE_POLICY_DECISION(decision));
    }
    return FALSE;
}

gboolean WebView::decideNavigation(WebKitNavigationPolicyDecision* decision, bool newWindow)
{
    if (!m_policy)
        return FALSE;
    WebKitNavigationAction* action = webkit_navigation_policy_decision_get_navigation_action(decision);
    // The policy judges what pages do. A load the program asked for itself comes first as a plain
    // navigation; it is not the page's (HTML loaded with a folder as its base would otherwise be
    // taken for a link to that folder).
    if (std::exchange(m_programLoadPending, false) && !newWindow
        && webkit_navigation_action_get_navigation_type(action) == WEBKIT_NAVIGATION_TYPE_OTHER)
        return FALSE;
    WebKitURIRequest* request = webkit_navigation_action_get_request(action);
    NavigationAction navigation;
    navigation.url = webkit_uri_request_get_uri(request);
    navigation.newWindow = newWindow;
    if (m_policy(navigation) == NavigationPolicy::Cancel) {
        webkit_policy_decision_ignore(WEBKIT_POLICY_DECISION(decision));
        return TRUE;
    }
    return FALSE;
}

gboolean WebView::decideResponse(WebKitResponsePolicyDecision* decision)
{
    if (!m_responsePolicy)
        return FALSE; // WebKit shows what it can and refuses the rest
    WebKitURIResponse* response = webkit_response_policy_decision_get_response(decision);
    const char* uri = webkit_uri_response_get_uri(response);
    if (!uri)
        uri = webkit_uri_request_get_uri(webkit_response_policy_decision_get_request(decision));
    const char* mimeType = webkit_uri_response_get_mime_type(response);
    DocumentResponse document;
    document.url = uri ? uri : "";
    document.mimeType = mimeType ? mimeType : "";
    document.mainFrame = webkit_response_policy_decision_is_main_frame_main_resource(decision);
    document.canShow = webkit_response_policy_decision_is_mime_type_supported(decision);
    switch (m_responsePolicy(document)) {
    case ResponsePolicy::Show:
        webkit_policy_decision_use(WEBKIT_POLICY_DECISION(decision));
        break;
    case ResponsePolicy::Refuse:
        webkit_policy_decision_ignore(WEBKIT_POLICY_DECISION(decision));
        break;
    case ResponsePolicy::Download:
        webkit_policy_decision_download(WEBKIT_POLICY_DECISION(decision));
        break;
    }
    return TRUE;
}

void WebView::onLoadChanged(WebKitWebView* view, WebKitLoadEvent event, gpointer data)
{
    auto* self = static_cast<WebView*>(data);
    switch (event) {
    case WEBKIT_LOAD_STARTED:
        self->m_committed = false;
        break;
    case WEBKIT_LOAD_COMMITTED: {
        // The old page is gone only now: a load refused before this leaves it working.
        self->m_committed = true;
        self->stopPageRequests();
        const char* uri = webkit_web_view_get_uri(view);
        self->m_documentUrl = uri ? uri : "";
        setDocumentUrl(view, self->m_documentUrl);
        break;
    }
    case WEBKIT_LOAD_FINISHED:
        // WebKit also ends a load that failed, was refused or was replaced this way; no page
        // finished then.
        if (self->m_committed && self->m_loadFinished)
            self->m_loadFinished();
        break;
    default:
        break;
    }
}

void WebView::onTitleChanged(WebKitWebView* view, GParamSpec*, gpointer data)
{
    auto* self = static_cast<WebView*>(data);
    const char* title = webkit_web_view_get_title(view);
    if (self->m_titleChanged)
        self->m_titleChanged(title ? title : "");
}

void WebView::setFileDropHandler(std::function<void(const std::vector<std::string>&, double, double, double)> dropped)
{
    m_fileDropped = std::move(dropped);
}

bool WebView::offersFiles(GdkDragContext* context) const
{
    if (!m_fileDropped)
        return false;
    for (GList* target = gdk_drag_context_list_targets(context); target; target = target->next) {
        if (GDK_POINTER_TO_ATOM(target->data) == gdk_atom_intern_static_string("text/uri-list"))
            return true;
    }
    return false;
}

// These run before the web view's own handlers; answering TRUE ends the signal there.
gboolean WebView::onDragMotion(GtkWidget*, GdkDragContext* context, gint, gint, guint time, gpointer data)
{
    auto* self = static_cast<WebView*>(data);
    if (!self->offersFiles(context))
        return FALSE;
    gdk_drag_status(context, GDK_ACTION_COPY, time);
    return TRUE;
}

gboolean WebView::onDragDrop(GtkWidget* widget, GdkDragContext* context, gint x, gint y, guint time, gpointer data)
{
    auto* self = static_cast<WebView*>(data);
    if (!self->offersFiles(context))
        return FALSE;
    self->m_takingDrop = true;
    self->m_dropX = x;
    self->m_dropY = y;
    self->m_dropWidth = gtk_widget_get_allocated_width(widget);
    gtk_drag_get_data(widget, context, gdk_atom_intern_static_string("text/uri-list"), time);
    return TRUE;
}

void WebView::onDragDataReceived(GtkWidget* widget, GdkDragContext* context, gint, gint, GtkSelectionData* selection, guint, guint time, gpointer data)
{
    auto* self = static_cast<WebView*>(data);
    if (!self->m_takingDrop)
        return;
    self->m_takingDrop = false;
    g_signal_stop_emission_by_name(widget, "drag-data-received");
    std::vector<std::string> paths;
    if (gchar** uris = gtk_selection_data_get_uris(selection)) {
        for (gchar** uri = uris; *uri; ++uri) {
            if (gchar* path = g_filename_from_uri(*uri, nullptr, nullptr)) {
                paths.emplace_back(path);
                g_free(path);
            }
        }
        g_strfreev(uris);
    }
    gtk_drag_finish(context, !paths.empty(), FALSE, time);
    if (!paths.empty() && self->m_fileDropped)
        self->m_fileDropped(paths, self->m_dropX, self->m_dropY, self->m_dropWidth);
}

gboolean WebView::onLoadFailed(WebKitWebView*, WebKitLoadEvent, gchar*, GError* error, gpointer data)
{
    auto* self = static_cast<WebView*>(data);
    self->m_committed = false; // the load ends here: no page finished
    // A load replaced by another one or stopped by our own policy is not a failure of the page.
    const bool superseded = g_error_matches(error, WEBKIT_NETWORK_ERROR, WEBKIT_NETWORK_ERROR_CANCELLED)
        || g_error_matches(error, WEBKIT_POLICY_ERROR, WEBKIT_POLICY_ERROR_FRAME_LOAD_INTERRUPTED_BY_POLICY_CHANGE);
    if (!superseded && self->m_loadFailed)
        self->m_loadFailed(error ? error->message : "load failed");
    return FALSE;
}

void WebView::onScriptMessage(WebKitUserContentManager*, WebKitJavascriptResult* message, gpointer data)
{
    auto* self = static_cast<WebView*>(data);
    if (!self->m_messageHandler)
        return;
    JSCValue* value = webkit_javascript_result_get_js_value(message);
    Json body = nullptr;
    if (char* text = jsc_value_to_json(value, 0)) {
        if (auto parsed = parseJson(text))
            body = std::move(*parsed);
        g_free(text);
    }
    self->m_messageHandler(body);
}

gboolean WebView::onFileChooser(WebKitWebView*, WebKitFileChooserRequest* request, gpointer data)
{
    auto* self = static_cast<WebView*>(data);
    if (!self->m_fileChooser)
        return FALSE; // WebKit's own dialog
    FileChooserRequest question;
    question.allowsMultiple = webkit_file_chooser_request_get_select_multiple(request);
    if (const gchar* const* types = webkit_file_chooser_request_get_mime_types(request)) {
        for (; *types; ++types)
            question.mimeTypes.emplace_back(*types);
    }
    const auto chosen = self->m_fileChooser(question);
    if (!chosen) {
        webkit_file_chooser_request_cancel(request);
        return TRUE;
    }
    std::vector<const gchar*> paths;
    for (const auto& path : *chosen)
        paths.push_back(path.c_str());
    paths.push_back(nullptr);
    webkit_file_chooser_request_select_files(request, paths.data());
    return TRUE;
}

void WebView::onDownloadStarted(WebKitWebContext*, WebKitDownload* download, gpointer data)
{
    auto* self = static_cast<WebView*>(data);
    if (webkit_download_get_web_view(download) == self->m_view.get())
        self->followDownload(download);
}

void WebView::followDownload(WebKitDownload* download)
{
    // The download outlives this view possibly; it carries its own copy of the handlers.
    auto events = std::make_shared<DownloadEvents>(m_downloads);
    auto decide = +[](WebKitDownload* download, gchar* suggestedName, gpointer data) -> gboolean {
        auto& events = *static_cast<std::shared_ptr<DownloadEvents>*>(data);
        const char* uri = webkit_uri_request_get_uri(webkit_download_get_request(download));
        const auto path = events->destination ? events->destination(uri ? uri : "", suggestedName ? suggestedName : "") : std::nullopt;
        if (!path) {
            webkit_download_cancel(download);
            return TRUE;
        }
        webkit_download_set_allow_overwrite(download, TRUE);
        if (char* destination = g_filename_to_uri(path->c_str(), nullptr, nullptr)) {
            webkit_download_set_destination(download, destination);
            g_free(destination);
        }
        return TRUE;
    };
    auto finished = +[](WebKitDownload* download, gpointer data) {
        auto& events = *static_cast<std::shared_ptr<DownloadEvents>*>(data);
        auto finish = std::exchange(events->finished, nullptr);
        if (!finish)
            return;
        const char* destination = webkit_download_get_destination(download);
        char* path = destination ? g_filename_from_uri(destination, nullptr, nullptr) : nullptr;
        finish(path ? std::optional<std::string>(path) : std::nullopt);
        g_free(path);
    };
    auto failed = +[](WebKitDownload*, GError*, gpointer data) {
        auto& events = *static_cast<std::shared_ptr<DownloadEvents>*>(data);
        if (auto finish = std::exchange(events->finished, nullptr))
            finish(std::nullopt);
    };
    auto release = +[](gpointer data, GClosure*) { delete static_cast<std::shared_ptr<DownloadEvents>*>(data); };
    g_signal_connect_data(download, "decide-destination", G_CALLBACK(decide), new std::shared_ptr<DownloadEvents>(events), release, GConnectFlags(0));
    // "failed" comes before "finished" for a failed download; the first report wins.
    g_signal_connect_data(download, "failed", G_CALLBACK(failed), new std::shared_ptr<DownloadEvents>(events), release, GConnectFlags(0));
    g_signal_connect_data(download, "finished", G_CALLBACK(finished), new std::shared_ptr<DownloadEvents>(events), release, GConnectFlags(0));
}

void WebView::setBackgroundColor(const Color& color)
{
    const GdkRGBA rgba { color.red, color.green, color.blue, color.alpha };
    webkit_web_view_set_background_color(m_view.get(), &rgba);
}

}

namespace ikw::ui::gtk3 {

void WebView::executeEditingCommand(EditingCommand command)
{
    const char* name = WEBKIT_EDITING_COMMAND_COPY;
    switch (command) {
    case EditingCommand::Cut: name = WEBKIT_EDITING_COMMAND_CUT; break;
    case EditingCommand::Copy: name = WEBKIT_EDITING_COMMAND_COPY; break;
    case EditingCommand::Paste: name = WEBKIT_EDITING_COMMAND_PASTE; break;
    case EditingCommand::SelectAll: name = WEBKIT_EDITING_COMMAND_SELECT_ALL; break;
    case EditingCommand::Undo: name = WEBKIT_EDITING_COMMAND_UNDO; break;
    case EditingCommand::Redo: name = WEBKIT_EDITING_COMMAND_REDO; break;
    }
    webkit_web_view_execute_editing_command(m_view.get(), name);
}

}
