#include "services/Feedback.h"

#include "platform/core/Iso8601.h"
#include "platform/core/OperatingSystem.h"
#include "platform/core/TaskQueue.h"

#include <ctime>

namespace ikw::services {

namespace Feedback {

namespace {

std::string lockedCopy(const State& state, const std::string& field)
{
    std::lock_guard lock(state.mutex);
    return field;
}

std::string versionText(State& state)
{
    return state.version.get() + " (" + state.build.get() + ")";
}

// The product's origin is HTTPS; a stand-in of the service may only be a loopback one.
bool reachable(const State& state)
{
    return state.origin.starts_with("https://") || state.origin.starts_with("http://127.0.0.1:");
}

http::HttpRequest post(const State& state, std::string_view path, std::vector<http::HttpHeader> headers, std::string body)
{
    http::HttpRequest request;
    request.method = "POST";
    request.url = state.origin + std::string(path);
    request.headers = std::move(headers);
    request.body = std::move(body);
    request.timeout = kTotalTimeout;
    request.idleTimeout = kIdleTimeout;
    request.maxBodyBytes = kMaxReplyBytes;
    request.cancellation = state.cancellation;
    return request;
}

// The reply as a JSON object, whatever its status; nothing when no reply came or it is no object.
std::optional<Json> replyObject(const State& state, const http::HttpRequest& request)
{
    if (!reachable(state) || state.stopped)
        return std::nullopt;
    const http::HttpResponse response = state.http->send(request);
    if (!response.answered())
        return std::nullopt;
    auto reply = parseJson(response.body);
    if (!reply || !reply->is_object())
        return std::nullopt;
    return reply;
}

Json diagnostics(State& state)
{
    return Json {
        { "app_version", versionText(state) },
        { "ts", iso8601Utc(std::time(nullptr)) },
        { "os", operatingSystemVersionString() },
        // Linux tells a process nothing of the machine's thermal state: nominal.
        { "thermal", 0 },
    };
}

Json reportBody(State& state, const Report& report)
{
    return Json {
        { "app_key", lockedCopy(state, state.appKey) },
        { "version", state.version.get() },
        // The service knows its clients by these values; "os" tells the truth.
        { "platform", "macos" },
        { "intent", std::string(rawValue(report.intent)) },
        { "message", report.message },
        { "contact", report.contact },
        { "screenshot_url", report.screenshotURL },
        { "bundle", diagnostics(state) },
    };
}

void recordSubmission(const State& state, std::chrono::system_clock::time_point now)
{
    const std::string prefix = "norvale.fbnudge." + lockedCopy(state, state.appKey) + ".";
    UserDefaults defaults = state.defaults();
    defaults.set(prefix + "lastSubmitAt", Json(std::chrono::duration<double>(now.time_since_epoch()).count()));
    defaults.set(prefix + "dismissals", Json(0.0));
}

std::optional<std::string> sendWith(State& state, const Report& report)
{
    const std::string appKey = lockedCopy(state, state.appKey);
    const std::string ingestKey = lockedCopy(state, state.ingestKey);
    if (appKey.empty() || ingestKey.empty())
        return std::nullopt;
    const auto reply = replyObject(state, post(state, "/report",
        { { "Content-Type", "application/json" }, { "x-fb-key", ingestKey } }, toPlainJson(reportBody(state, report))));
    if (!reply || !reply->contains("code"))
        return std::nullopt;
    recordSubmission(state, std::chrono::system_clock::now());
    const Json& code = (*reply)["code"];
    if (!code.is_string())
        return std::nullopt;
    return code.get<std::string>();
}

std::optional<std::string> uploadWith(State& state, const Screenshot& screenshot)
{
    const std::string appKey = lockedCopy(state, state.appKey);
    if (appKey.empty())
        return std::nullopt;
    const auto reply = replyObject(state, post(state, "/screenshot",
        {
            { "Content-Type", screenshot.contentType },
            { "X-App", appKey },
            { "X-Purpose", "debug" },
            { "X-App-Version", versionText(state) },
        },
        screenshot.bytes));
    if (!reply || !reply->contains("id") || !(*reply)["id"].is_string())
        return std::nullopt;
    return state.origin + "/screenshot/" + (*reply)["id"].get<std::string>();
}

// Whatever goes wrong inside an exchange is an absent result.
template<typename Exchange>
std::optional<std::string> absentOnThrow(Exchange exchange)
{
    try {
        return exchange();
    } catch (...) {
        return std::nullopt;
    }
}

// Runs the exchange on the state's queue and hands its result to the completion on the main queue.
void runOffTheMainThread(const std::shared_ptr<State>& state, std::function<std::optional<std::string>(State&)> exchange, Completion completion)
{
    State* const raw = state.get(); // the state's queue ends before the state does
    raw->queue->post([raw, exchange = std::move(exchange), completion = std::move(completion)] {
        std::optional<std::string> result = absentOnThrow([&] { return exchange(*raw); });
        if (raw->stopped)
            return;
        mainQueue().post([completion, result = std::move(result)] {
            if (completion)
                completion(result);
        });
    });
}

}

State::~State()
{
    stopExchanges();
}

void State::stopExchanges()
{
    stopped = true;
    cancellation->cancel();
    queue->waitUntilIdle();
}

std::string appVersionText()
{
    return versionText(*state());
}

void stopExchanges()
{
    state()->stopExchanges();
}

void send(Report report, Completion completion)
{
    runOffTheMainThread(state(), [report = std::move(report)](State& state) { return sendWith(state, report); }, std::move(completion));
}

void uploadScreenshot(Screenshot screenshot, Completion completion)
{
    runOffTheMainThread(state(), [screenshot = std::move(screenshot)](State& state) { return uploadWith(state, screenshot); }, std::move(completion));
}

std::optional<std::string> sendNow(const Report& report)
{
    const auto installed = state();
    return absentOnThrow([&] { return sendWith(*installed, report); });
}

std::optional<std::string> uploadScreenshotNow(const Screenshot& screenshot)
{
    const auto installed = state();
    return absentOnThrow([&] { return uploadWith(*installed, screenshot); });
}

}

void IdeaNudge::recordSubmission(std::chrono::system_clock::time_point now)
{
    Feedback::recordSubmission(*Feedback::state(), now);
}

}
