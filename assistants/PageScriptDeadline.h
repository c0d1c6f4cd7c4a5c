#pragma once

#include "platform/ui/WebView.h"

#include <functional>
#include <string>

namespace ikw::assistants {

// Page scripts whose answer is handed on exactly once: the page's own, or an error result once
// `seconds` have passed on the main queue's clock without one (a web process that hangs would
// otherwise keep the caller waiting for ever). Main thread.
void evaluateWithin(ui::WebView& web, const std::string& script, double seconds, std::function<void(ui::ScriptResult)> done);
void callAsyncWithin(ui::WebView& web, const std::string& body, double seconds, std::function<void(ui::ScriptResult)> done);

}
