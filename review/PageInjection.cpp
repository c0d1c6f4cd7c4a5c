#include "review/PageInjection.h"

#include "platform/ui/WebView.h"
#include "review/JsLiterals.h"

namespace ikw {

void orgInject(ui::WebView& view, std::string_view function, const Json& payload)
{
    if (const auto script = jsonInjectionScript(function, payload))
        view.evaluate(*script);
}

std::function<void(const std::string&)> makeErrorInjector(std::weak_ptr<ui::WebView> view, std::string function)
{
    return [view = std::move(view), function = std::move(function)](const std::string& message) {
        if (const auto live = view.lock())
            orgInject(*live, function, Json { { "error", message } });
    };
}

}
