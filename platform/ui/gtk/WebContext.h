#pragma once

#include "platform/ui/WebView.h"
#include "platform/core/GObjectRef.h"

#include <webkit2/webkit2.h>

#include <map>
#include <memory>
#include <string>

namespace ikw::ui::gtk3 {

class WebContext final : public ui::WebContext {
public:
    WebContext();
    void registerScheme(const std::string& scheme, SchemeHandler handler) override;
    WebKitWebContext* native() const { return m_context.get(); }

private:
    GObjectRef<WebKitWebContext> m_context;
    // Owned here for as long as the context lives; WebKit holds raw pointers to them.
    std::map<std::string, std::unique_ptr<SchemeHandler>> m_handlers;
};

}
