#include "assistants/PageScriptDeadline.h"

#include "platform/core/TaskQueue.h"

#include <memory>
#include <utility>

namespace ikw::assistants {

namespace {

using Done = std::function<void(ui::ScriptResult)>;

// The first of the page's answer and the deadline wins; the other finds nothing left to call.
std::function<void(ui::ScriptResult)> answerOnce(double seconds, Done done)
{
    auto pending = std::make_shared<Done>(std::move(done));
    const auto deliver = [pending](ui::ScriptResult result) {
        if (auto callback = std::exchange(*pending, {}))
            callback(std::move(result));
    };
    mainQueue().postAfter(seconds, [deliver] { deliver(ui::ScriptResult { std::nullopt, "the page did not answer in time" }); });
    return deliver;
}

}

void evaluateWithin(ui::WebView& web, const std::string& script, double seconds, Done done)
{
    web.evaluate(script, answerOnce(seconds, std::move(done)));
}

void callAsyncWithin(ui::WebView& web, const std::string& body, double seconds, Done done)
{
    web.callAsync(body, Json::object(), answerOnce(seconds, std::move(done)));
}

}
