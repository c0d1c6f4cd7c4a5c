#include "services/KDUpdate.h"

#include "app/Globals.h"
#include "platform/core/fake/ManualMainQueue.h"
#include "platform/http/CurlHttpClient.h"
#include "platform/http/fake/LoopbackHttpServer.h"
#include "platform/ui/fake/FakeToolkit.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <atomic>

#include <filesystem>
#include <future>
#include <thread>

namespace ikw::services {
namespace {

using namespace std::chrono_literals;

class KDUpdateTest : public ::testing::Test {
protected:
    KDUpdateTest()
    {
        updater->defaults = [path = home.file("support/com.norvale.inkwarden.json")] { return UserDefaults(path); };
        updater->dialogs = &dialogs;
    }

    // Runs `call` on another thread, as the updater queue would, serving the main queue meanwhile.
    template<typename Result>
    Result offTheMainThread(std::function<Result()> call)
    {
        auto result = std::async(std::launch::async, [call = std::move(call)] {
            Result answer = call();
            mainQueue().post([] { }); // wakes the main queue's wait
            return answer;
        });
        EXPECT_TRUE(queue.runUntil([&] { return result.wait_for(0s) == std::future_status::ready; }));
        return result.get();
    }

    testing::TempHome home;
    ManualMainQueue queue;
    ui::fake::FakeDialogs dialogs;
    std::shared_ptr<KDUpdate::State> updater = std::make_shared<KDUpdate::State>();
    KDUpdate::ScopedState installed { updater };
};

TEST_F(KDUpdateTest, ASwitchIsOnUnlessItHoldsFalse)
{
    const struct {
        const char* name;
        std::optional<Json> stored;
        bool reads;
    } cases[] = {
        { "nothing stored", std::nullopt, true },
        { "false", Json(false), false },
        { "true", Json(true), true },
        { "a string", Json("no"), true },
        { "a number", Json(0), true },
    };
    const struct {
        std::string_view key;
        bool (*read)();
    } switches[] = {
        { KDUpdate::kAutoCheckKey, KDUpdate::autoCheck },
        { KDUpdate::kAutoDownloadKey, KDUpdate::autoDownload },
        { KDUpdate::kAutoInstallKey, KDUpdate::autoInstall },
    };
    for (const auto& c : cases) {
        for (const auto& one : switches) {
            if (c.stored)
                updater->defaults().set(one.key, *c.stored);
            else
                updater->defaults().remove(one.key);
            EXPECT_EQ(one.read(), c.reads) << c.name << " under " << one.key;
            EXPECT_EQ(KDUpdate::fullyAutomatic(), c.reads) << c.name << " under " << one.key;
            updater->defaults().remove(one.key);
        }
    }
}

// Sees every post to the main queue as it happens, before the task runs.
class WatchedMainQueue final : public MainQueue {
public:
    WatchedMainQueue(ManualMainQueue& inner, std::function<void()> onPost) : m_inner(inner), m_onPost(std::move(onPost)) {}
    void post(Task task) override
    {
        m_onPost();
        m_inner.post(std::move(task));
    }
    void postAfter(double seconds, Task task) override { m_inner.postAfter(seconds, std::move(task)); }
    Timer schedule(double seconds, bool repeats, Task task) override { return m_inner.schedule(seconds, repeats, std::move(task)); }
    void cancelTimer(std::uint64_t id) override { m_inner.cancelTimer(id); }
    double now() const override { return m_inner.now(); }
    bool isMainThread() const override { return m_inner.isMainThread(); }

private:
    ManualMainQueue& m_inner;
    std::function<void()> m_onPost;
};

TEST_F(KDUpdateTest, FullyAutomaticWritesTheThreeSwitchesInOrderAndAnnouncesEach)
{
    // At each announcement, the switches already written.
    std::vector<std::string> writtenAtAnnouncement;
    WatchedMainQueue watched(queue, [&] {
        const UserDefaults defaults = updater->defaults();
        std::string written;
        for (const auto key : { KDUpdate::kAutoCheckKey, KDUpdate::kAutoDownloadKey, KDUpdate::kAutoInstallKey })
            written += defaults.boolean(key) == false ? "0" : "-";
        writtenAtAnnouncement.push_back(written);
    });
    ScopedMainQueue watching(watched);
    int announced = 0;
    updater->onPolicyChanged = [&] { ++announced; };

    KDUpdate::setFullyAutomatic(false);
    EXPECT_EQ(writtenAtAnnouncement, (std::vector<std::string> { "0--", "00-", "000" }));
    EXPECT_EQ(announced, 0) << "announced on the main queue, not in the setter";
    queue.drain();
    EXPECT_EQ(announced, 3);
    EXPECT_FALSE(KDUpdate::autoCheck() || KDUpdate::autoDownload() || KDUpdate::autoInstall());

    KDUpdate::setAutoDownload(true);
    queue.drain();
    EXPECT_EQ(announced, 4);
    EXPECT_TRUE(KDUpdate::autoDownload());
    EXPECT_FALSE(KDUpdate::fullyAutomatic());
}

TEST_F(KDUpdateTest, RelaysRunOnTheMainQueue)
{
    std::vector<std::string> heard;
    updater->onStatus = [&](const std::string& line) { heard.push_back("status " + line); };
    updater->onPendingUpdate = [&](const std::string& version) { heard.push_back("pending " + version); };
    std::thread([] {
        KDUpdate::status("checked 3:05pm · up to date");
        KDUpdate::relayPendingUpdate("2.1");
    }).join();
    EXPECT_TRUE(heard.empty());
    queue.drain();
    EXPECT_EQ(heard, (std::vector<std::string> { "status checked 3:05pm · up to date", "pending 2.1" }));
}

TEST(KDUpdateTimeStamp, HourWithoutLeadingZeroThenMinutesAndAmOrPm)
{
    const struct {
        int hour, minute;
        const char* text;
    } cases[] = {
        { 0, 0, "12:00am" }, { 0, 59, "12:59am" }, { 3, 5, "3:05am" }, { 11, 59, "11:59am" },
        { 12, 0, "12:00pm" }, { 15, 5, "3:05pm" }, { 23, 30, "11:30pm" },
    };
    for (const auto& c : cases) {
        std::tm time {};
        time.tm_hour = c.hour;
        time.tm_min = c.minute;
        EXPECT_EQ(KDUpdate::timeStamp(time), c.text);
    }
    EXPECT_TRUE(KDUpdate::timeStamp().ends_with("m"));
}

TEST(KDUpdateVersion, TheBundlesVersionAndBuildNumber)
{
    testing::TempHome home;
    const struct {
        std::optional<std::string> version, build;
        KDUpdate::Version expected;
    } cases[] = {
        { std::nullopt, std::nullopt, { "0", 0 } },
        { "2.1", "57", { "2.1", 57 } },
        { "2.1", "12a", { "2.1", 0 } },
        { "2.1", "+7", { "2.1", 7 } },
        { "2.1", "-3\n", { "2.1", -3 } },
        { "2.1", "+-3", { "2.1", 0 } },
        { "2.1", "", { "2.1", 0 } },
        { "2.1", "9223372036854775807", { "2.1", INT64_MAX } },
        { "2.1", "9223372036854775808", { "2.1", 0 } },
        { "2.1", "1 2", { "2.1", 0 } },
    };
    for (const auto& c : cases) {
        for (const auto& [name, text] : { std::pair { "VERSION", c.version }, std::pair { "BUILD", c.build } }) {
            if (text)
                testing::writeTestFile(home.file(std::string("Resources/") + name), *text);
            else
                std::filesystem::remove(home.file(std::string("Resources/") + name));
        }
        ScopedGlobals globals { Globals::build(Paths::fromEnvironment()) };
        EXPECT_EQ(KDUpdate::currentVersion(), c.expected) << c.version.value_or("none") << " / " << c.build.value_or("none");
    }
}

TEST(KDUpdateRun, ReportsExitAndBothStreamsTogether)
{
    const struct {
        std::string executable;
        std::vector<std::string> arguments;
        KDUpdate::RunOutput expected;
    } cases[] = {
        { "/bin/echo", { "a", "b c" }, { true, "a b c\n" } },
        { "/bin/false", {}, { false, "" } },
        { "/nonexistent/tool", { "x" }, { false, "" } },
        { "/bin/sh", { "-c", "echo out; echo err >&2; echo more" }, { true, "out\nerr\nmore\n" } },
        { "/bin/sh", { "-c", "echo failing >&2; exit 2" }, { false, "failing\n" } },
        { "/bin/sh", { "-c", "printf '\\377'" }, { true, "" } },
    };
    for (const auto& c : cases) {
        const auto result = KDUpdate::run(c.executable, c.arguments);
        EXPECT_EQ(result.ok, c.expected.ok) << c.executable << " " << (c.arguments.empty() ? "" : c.arguments.back());
        EXPECT_EQ(result.out, c.expected.out) << c.executable << " " << (c.arguments.empty() ? "" : c.arguments.back());
    }
    // Megabytes of output are read while the tool runs, so it never stalls on a full pipe.
    EXPECT_EQ(KDUpdate::run("/bin/sh", { "-c", "head -c 3000000 /dev/zero | tr '\\0' x" }).out.size(), 3000000u);
}

class KDUpdateFetchTest : public KDUpdateTest {
protected:
    void SetUp() override
    {
        if (!server.running())
            GTEST_SKIP() << server.failure();
        updater->http = std::make_shared<http::CurlHttpClient>();
    }

    http::HttpRequest request(const std::string& path)
    {
        http::HttpRequest request;
        request.url = server.url(path);
        request.timeout = 10s;
        return request;
    }

    http::LoopbackHttpServer server;
};

TEST_F(KDUpdateFetchTest, KeepsOnlyABodyWithStatus200)
{
    const struct {
        const char* path;
        std::optional<std::string> body;
    } cases[] = {
        { "/status/200?body=feed", "feed" },
        { "/status/304?body=stale", std::nullopt },
        { "/status/500?body=oops", std::nullopt },
        { "/missing", std::nullopt },
    };
    for (const auto& c : cases)
        EXPECT_EQ(KDUpdate::syncFetch(request(c.path)), c.body) << c.path;

    // The caller's body limit stays: a reply over it is none.
    auto limited = request("/large?bytes=2000");
    limited.maxBodyBytes = 2000;
    EXPECT_EQ(KDUpdate::syncFetch(limited).value_or("").size(), 2000u);
    limited.maxBodyBytes = 1999;
    EXPECT_EQ(KDUpdate::syncFetch(limited), std::nullopt);
}

int openSockets()
{
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code gone;
        count += std::filesystem::read_symlink(entry.path(), gone).string().starts_with("socket:");
    }
    return count;
}

TEST_F(KDUpdateFetchTest, AStalledServerEndsAtTheWaitWithItsConnectionClosed)
{
    updater->fetchWaitSeconds = 0.5;
    const int socketsBefore = openSockets();
    const auto started = std::chrono::steady_clock::now();
    // The request's own time-out only limits stalls longer than the wait.
    EXPECT_EQ(KDUpdate::syncFetch(request("/stall")), std::nullopt);
    const auto took = std::chrono::steady_clock::now() - started;
    EXPECT_GE(took, 400ms);
    EXPECT_LT(took, 5s);
    EXPECT_EQ(openSockets(), socketsBefore) << "the transfer ends with the wait";

    // A request time-out shorter than the wait ends a stall first.
    updater->fetchWaitSeconds = 30;
    auto impatient = request("/stall");
    impatient.timeout = 300ms;
    const auto again = std::chrono::steady_clock::now();
    EXPECT_EQ(KDUpdate::syncFetch(impatient), std::nullopt);
    EXPECT_LT(std::chrono::steady_clock::now() - again, 5s);
}

TEST_F(KDUpdateFetchTest, StoppingAtQuitEndsAStalledFetchAndAnOpenQuestionAtOnce)
{
    // The program waits for the updater's queue at exit: nothing in a check may outlast the stop.
    updater->fetchWaitSeconds = 60;
    updater->confirmWaitSeconds = 60;
    dialogs.keepsAlertsOpen = true;
    auto fetching = std::async(std::launch::async, [this] { return KDUpdate::syncFetch(request("/stall")); });
    // Set before the wake-up is posted, so the main loop sees it when it runs that task.
    std::atomic<bool> asked { false };
    auto asking = std::async(std::launch::async, [&asked] {
        const bool install = KDUpdate::confirmInstall("2.1", 57);
        asked = true;
        mainQueue().post([] { });
        return install;
    });
    ASSERT_TRUE(queue.runUntil([&] { return dialogs.alerts.size() == 1; }));
    std::this_thread::sleep_for(200ms); // the fetch is under way

    const auto stopped = std::chrono::steady_clock::now();
    KDUpdate::stopSchedule();
    ASSERT_TRUE(queue.runUntil([&] { return asked.load(); }, 20));
    EXPECT_FALSE(asking.get()) << "the update waits for later";
    EXPECT_EQ(fetching.get(), std::nullopt);
    // Well before either wait (60 s) would have ended.
    EXPECT_LT(std::chrono::steady_clock::now() - stopped, 20s);
    // Once stopped, nothing is asked any more.
    EXPECT_FALSE(std::async(std::launch::async, [] { return KDUpdate::confirmInstall("2.1", 57); }).get());
    EXPECT_EQ(dialogs.alerts.size(), 1u);
    EXPECT_EQ(KDUpdate::syncFetch(request("/status/200?body=late")), std::nullopt);
}

TEST_F(KDUpdateTest, AlertShowsAboveTheWindowsWithoutMakingTheCallerWait)
{
    KDUpdate::alert("Up to date", "v1.0 is the newest version.");
    EXPECT_TRUE(dialogs.alerts.empty());
    queue.drain();
    ASSERT_EQ(dialogs.alerts.size(), 1u);
    const auto& shown = dialogs.alerts[0];
    EXPECT_EQ(shown.parent, nullptr);
    EXPECT_EQ(shown.request.message, "Up to date");
    EXPECT_EQ(shown.request.informativeText, "v1.0 is the newest version.");
    EXPECT_EQ(shown.request.buttons, std::vector<std::string> { "OK" });
    EXPECT_TRUE(shown.request.keepAbove);
}

TEST_F(KDUpdateTest, ConfirmInstallAnswersWithTheButtonChosen)
{
    const struct {
        int button;
        bool install;
    } cases[] = { { 0, true }, { 1, false }, { -1, false } };
    for (const auto& c : cases) {
        dialogs.alertAnswers.push_back({ c.button, false });
        EXPECT_EQ(offTheMainThread<bool>([] { return KDUpdate::confirmInstall("2.1", 57); }), c.install) << c.button;
    }
    ASSERT_EQ(dialogs.alerts.size(), 3u);
    const auto& question = dialogs.alerts[0].request;
    EXPECT_EQ(question.message, "A new version is available");
    EXPECT_EQ(question.informativeText, "v2.1 (57) is ready. Install it now? The app will relaunch.");
    EXPECT_EQ(question.buttons, (std::vector<std::string> { "Install and Relaunch", "Later" }));
    EXPECT_TRUE(question.keepAbove);
    EXPECT_EQ(dialogs.alerts[0].parent, nullptr);
}

TEST_F(KDUpdateTest, AnUnansweredQuestionIsTakenDownWhenTheWaitEnds)
{
    updater->confirmWaitSeconds = 0.2;
    dialogs.keepsAlertsOpen = true;
    EXPECT_FALSE(offTheMainThread<bool>([] { return KDUpdate::confirmInstall("2.1", 57); }));
    queue.drain();
    ASSERT_EQ(dialogs.alerts.size(), 1u);
    EXPECT_TRUE(dialogs.alerts[0].dismissed);
    EXPECT_EQ(dialogs.openAlertCount(), 0u);

    // Without dialogs there is nobody to ask: "Later" at once.
    updater->dialogs = nullptr;
    updater->confirmWaitSeconds = 60;
    EXPECT_FALSE(offTheMainThread<bool>([] { return KDUpdate::confirmInstall("2.1", 57); }));
}

TEST_F(KDUpdateTest, ConfirmInstallOnTheMainThreadEndsTheProcess)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(KDUpdate::confirmInstall("2.1", 57), "confirmInstall called on the main thread");
}

}
}
