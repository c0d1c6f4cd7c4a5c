#include "platform/ui/gtk/WebContext.h"

#include "platform/ui/gtk/SchemeRequest.h"

#include <unistd.h>

namespace ikw::ui::gtk3 {

namespace {

void onSchemeRequest(WebKitURISchemeRequest* request, gpointer data)
{
    const auto& handler = **static_cast<std::unique_ptr<SchemeHandler>*>(data);
    handler(SchemeRequest::make(request));
}

}

WebContext::WebContext()
    : m_context(GObjectRef<WebKitWebContext>::adopt(webkit_web_context_new()))
{
    // The web processes run in a bubblewrap sandbox, except as root: root means a container here
    // (CI), whose default seccomp profile refuses the namespaces bubblewrap needs, so every web
    // process would die at start and pages would stay blank.
    webkit_web_context_set_sandbox_enabled(m_context.get(), geteuid() != 0);
    webkit_web_context_set_cache_model(m_context.get(), WEBKIT_CACHE_MODEL_DOCUMENT_VIEWER);
}

void WebContext::registerScheme(const std::string& scheme, SchemeHandler handler)
{
    auto& slot = m_handlers[scheme];
    const bool known = slot != nullptr;
    slot = std::make_unique<SchemeHandler>(std::move(handler));
    if (known)
        return;
    // WebKit keeps the first registration of a scheme; later ones only swap our handler above.
    // The pointer stays valid: the map entry lives as long as the context.
    webkit_web_context_register_uri_scheme(m_context.get(), scheme.c_str(), onSchemeRequest, &slot, nullptr);
    WebKitSecurityManager* security = webkit_web_context_get_security_manager(m_context.get());
    webkit_security_manager_register_uri_scheme_as_cors_enabled(security, scheme.c_str());
    webkit_security_manager_register_uri_scheme_as_secure(security, scheme.c_str());
}

}
