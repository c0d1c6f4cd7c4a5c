#include "services/KDUpdate.h"

#include "app/Globals.h"
#include "app/RecentItems.h"
#include "platform/core/Log.h"
#include "platform/core/Process.h"
#include "platform/core/TaskQueue.h"
#include "platform/core/TextMetrics.h"
#include "platform/http/CurlHttpClient.h"

#include <charconv>
#include <chrono>
#include <cmath>
#include <mutex>

namespace ikw::services::KDUpdate {

namespace {

std::mutex& stateMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::shared_ptr<State>& stateSlot()
{
    static std::shared_ptr<State> slot;
    return slot;
}

bool readSwitch(std::string_view key)
{
    return state()->defaults().boolean(key).value_or(true);
}

void writeSwitch(std::string_view key, bool on)
{
    state()->defaults().set(key, on);
    onPolicyChange();
}

// The release key, given to the build as 64 hex digits.
std::string builtInPublicKey()
{
    constexpr std::string_view hex = IKW_UPDATE_PUBLIC_KEY;
    std::string key;
    for (std::size_t at = 0; at + 1 < hex.size(); at += 2) {
        unsigned value = 0;
        std::from_chars(hex.data() + at, hex.data() + at + 2, value, 16);
        key += static_cast<char>(value);
    }
    return key;
}

std::chrono::milliseconds milliseconds(double seconds)
{
    return std::chrono::milliseconds(std::llround(seconds * 1000));
}

}

void StopSignal::stop()
{
    std::vector<std::pair<std::uint64_t, std::function<void()>>> wakes;
    {
        std::lock_guard lock(m_mutex);
        m_stopped = true;
        wakes = m_wakes;
    }
    // Outside the lock: a wake may take locks of its own.
    for (const auto& [id, wake] : wakes)
        wake();
}

bool StopSignal::stopped() const
{
    std::lock_guard lock(m_mutex);
    return m_stopped;
}

std::shared_ptr<void> StopSignal::onStop(std::function<void()> wake)
{
    std::unique_lock lock(m_mutex);
    if (m_stopped) {
        lock.unlock();
        wake();
        return nullptr;
    }
    const std::uint64_t id = m_nextId++;
    m_wakes.emplace_back(id, std::move(wake));
    return std::shared_ptr<void>(nullptr, [this, id](void*) {
        std::lock_guard lock(m_mutex);
        std::erase_if(m_wakes, [id](const auto& entry) { return entry.first == id; });
    });
}

Error err(std::string message)
{
    return Error { .domain = "KDUpdate", .code = 1, .message = std::move(message) };
}

State::State()
    : publicKey(builtInPublicKey())
    , check(runCheck)
    , installStaged(swapAndRelaunch)
    , defaults([] { return appUserDefaults(); })
    , http(std::make_shared<http::CurlHttpClient>())
    , paths(Paths::fromEnvironment())
    , swapSteps(realBundleSwapSteps())
{
}

std::shared_ptr<State> state()
{
    std::lock_guard lock(stateMutex());
    auto& slot = stateSlot();
    if (!slot)
        slot = std::make_shared<State>();
    return slot;
}

std::shared_ptr<State> install(std::shared_ptr<State> state)
{
    std::lock_guard lock(stateMutex());
    std::swap(stateSlot(), state);
    return state;
}

bool autoCheck() { return readSwitch(kAutoCheckKey); }
bool autoDownload() { return readSwitch(kAutoDownloadKey); }
bool autoInstall() { return readSwitch(kAutoInstallKey); }
void setAutoCheck(bool on) { writeSwitch(kAutoCheckKey, on); }
void setAutoDownload(bool on) { writeSwitch(kAutoDownloadKey, on); }
void setAutoInstall(bool on) { writeSwitch(kAutoInstallKey, on); }

bool fullyAutomatic()
{
    return autoCheck() && autoDownload() && autoInstall();
}

void setFullyAutomatic(bool on)
{
    setAutoCheck(on);
    setAutoDownload(on);
    setAutoInstall(on);
}

void onPolicyChange()
{
    mainQueue().post([updater = state()] {
        if (updater->onPolicyChanged)
            updater->onPolicyChanged();
    });
}

std::string timeStamp()
{
    const std::time_t now = std::time(nullptr);
    std::tm local {};
    ::localtime_r(&now, &local);
    return timeStamp(local);
}

std::string timeStamp(const std::tm& localTime)
{
    // Built by hand: the locale's time format may have no am/pm at all.
    const int hour = localTime.tm_hour % 12 == 0 ? 12 : localTime.tm_hour % 12;
    const int minute = localTime.tm_min;
    return std::to_string(hour) + ":" + (minute < 10 ? "0" : "") + std::to_string(minute) + (localTime.tm_hour < 12 ? "am" : "pm");
}

std::optional<std::string> syncFetch(http::HttpRequest request)
{
    const auto updater = state();
    if (!updater->http)
        return std::nullopt;
    // Like a URL request's time-out, the request's own one limits a stall; the wait bounds the
    // whole transfer, which ends with it (no late answer keeps a connection open).
    request.idleTimeout = request.timeout;
    if (!request.cancellation)
        request.cancellation = std::make_shared<http::HttpCancellation>();
    const auto stopWake = updater->stopping.onStop([cancellation = request.cancellation] { cancellation->cancel(); });
    request.timeout = milliseconds(updater->fetchWaitSeconds);
    http::HttpResponse response = updater->http->send(request);
    if (!response.answered() || response.status != 200)
        return std::nullopt;
    return std::move(response.body);
}

std::int64_t parseBuildNumber(std::string_view text)
{
    std::string_view digits = text;
    const bool negative = digits.starts_with('-');
    if (negative || digits.starts_with('+'))
        digits.remove_prefix(1);
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos)
        return 0;
    // Parsed with its sign, so that the most negative number fits too.
    const std::string signedDigits = (negative ? "-" : "") + std::string(digits);
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(signedDigits.data(), signedDigits.data() + signedDigits.size(), value);
    return error == std::errc() && end == signedDigits.data() + signedDigits.size() ? value : 0;
}

Version currentVersion()
{
    const AppInfo& info = globals().appInfo;
    return Version { .version = info.shortVersion.empty() ? "0" : info.shortVersion, .build = parseBuildNumber(info.build) };
}

RunOutput run(const std::string& executable, const std::vector<std::string>& arguments)
{
    ProcessOptions options;
    options.argv.reserve(arguments.size() + 1);
    options.argv.push_back(executable);
    options.argv.insert(options.argv.end(), arguments.begin(), arguments.end());
    options.mergeStandardError = true;
    ProcessResult result = runProcess(options);
    if (!result.started)
        return {};
    const bool ok = result.exitedNormally() && result.exitStatus == 0;
    return RunOutput { .ok = ok, .out = isValidUtf8(result.standardOutput) ? std::move(result.standardOutput) : std::string() };
}

void status(const std::string& line)
{
    logLine("[KDUpdate] " + line);
    mainQueue().post([updater = state(), line] {
        if (updater->onStatus)
            updater->onStatus(line);
    });
}

void relayPendingUpdate(const std::string& version)
{
    mainQueue().post([updater = state(), version] {
        if (updater->onPendingUpdate)
            updater->onPendingUpdate(version);
    });
}

}
