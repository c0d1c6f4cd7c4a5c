#pragma once

#include "platform/core/Json.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace ikw {

namespace ui {
class WebView;
}

// Hands a JSON answer (an object or an array) to the page function `function`, guarded so that a
// page without it, or one that throws, stays quiet. Anything else is not sent.
void orgInject(ui::WebView& view, std::string_view function, const Json& payload);

// Reports a failure to the page as {"error": message} while the view still exists; holds it weakly.
std::function<void(const std::string& message)> makeErrorInjector(std::weak_ptr<ui::WebView> view, std::string function);

}
