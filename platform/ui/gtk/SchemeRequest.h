#pragma once

#include "platform/ui/WebView.h"
#include "platform/core/GObjectRef.h"

#include <webkit2/webkit2.h>

#include <atomic>
#include <memory>
#include <mutex>

namespace ikw::ui::gtk3 {

// Whether the page a request belongs to is gone. Each web view hands out a fresh one per page
// and raises it when it navigates away or is destroyed (WebKitGTK tells scheme handlers nothing).
using PageStop = std::shared_ptr<std::atomic<bool>>;

// A WebKit scheme request that may be answered from any thread. The WebKit object itself is only
// touched on the main thread: answers hop there through the main queue.
class SchemeRequest final : public ui::SchemeRequest, public std::enable_shared_from_this<SchemeRequest> {
public:
    static std::shared_ptr<SchemeRequest> make(WebKitURISchemeRequest* request);
    ~SchemeRequest() override;

    const std::string& url() const override { return m_url; }
    const std::string& pageUrl() const override { return m_pageUrl; }
    bool isStopped() const override { return m_stopped && m_stopped->load(); }
    void respond(SchemeResponse response) override;
    void fail(std::string message) override;

private:
    SchemeRequest(WebKitURISchemeRequest* request, PageStop stopped, std::string pageUrl);
    // Runs `finish` on the main thread with the WebKit request, once, unless the page is gone.
    void finishOnMain(std::function<void(WebKitURISchemeRequest*)> finish);

    std::string m_url;
    std::string m_pageUrl;
    PageStop m_stopped;
    std::atomic<bool> m_answered { false };
    // Shared with the hop to the main thread, so the WebKit reference is dropped there.
    std::shared_ptr<GObjectRef<WebKitURISchemeRequest>> m_request;
};

// The stop flag of the page currently shown by `view` (set by our web views; none for others).
PageStop pageStopOf(WebKitWebView* view);
void setPageStop(WebKitWebView* view, const PageStop& stop);
// The committed document URL of `view` as our web views record it ("" for other views).
std::string documentUrlOf(WebKitWebView* view);
void setDocumentUrl(WebKitWebView* view, const std::string& url);

}
