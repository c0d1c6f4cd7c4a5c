// The regular start of the built program on a private session bus: it shows the welcome page,
// stays up, and takes the files of a second start.
#include "app/Globals.h"
#include "platform/core/Process.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempHome.h"
#include "tests/support/WaitFor.h"

#include <gio/gio.h>
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>

namespace ikw {
namespace {

bool waitFor(const std::function<bool()>& done, double seconds = 30)
{
    return testing::waitFor(done, seconds);
}

// The first hidden page in the reviews folder whose name starts with `prefix` and whose text holds `needle`.
bool hiddenPageHolds(const std::string& folder, const std::string& prefix, const std::string& needle)
{
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const auto name = entry.path().filename().string();
        if (name.rfind(prefix, 0) == 0 && testing::readTestFile(entry.path().string()).find(needle) != std::string::npos)
            return true;
    }
    return false;
}

// A private session bus for the test's lifetime. It clears the display and runtime folder from
// the environment; they stay ours.
class PrivateBus {
public:
    PrivateBus()
    {
        const std::string display = g_getenv("DISPLAY") ? g_getenv("DISPLAY") : "";
        const std::string runtime = g_getenv("XDG_RUNTIME_DIR") ? g_getenv("XDG_RUNTIME_DIR") : "";
        g_test_dbus_up(m_bus);
        g_setenv("DISPLAY", display.c_str(), TRUE);
        if (!runtime.empty())
            g_setenv("XDG_RUNTIME_DIR", runtime.c_str(), TRUE);
    }
    ~PrivateBus()
    {
        g_test_dbus_down(m_bus);
        g_object_unref(m_bus);
    }
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

private:
    GTestDBus* m_bus = g_test_dbus_new(G_TEST_DBUS_NONE);
};

int hiddenPageCount(const std::string& folder, const std::string& prefix)
{
    int count = 0;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error))
        count += entry.path().filename().string().rfind(prefix, 0) == 0 ? 1 : 0;
    return count;
}

TEST(ProgramOnADisplay, ASecondStartHandsItsFilesToTheRunningOne)
{
    testing::TempHome home;
    unsetenv("IKW_RESOURCES_DIR"); // the build's own bundle, with the stand-in engine
    PrivateBus bus;
    const auto reviews = home.file(kReviewsFolderName);
    const auto folder = home.file("Matter");
    std::filesystem::create_directories(folder);

    gchar* argv[] = { const_cast<gchar*>(IKW_APP_BINARY), nullptr };
    GPid first = 0;
    ASSERT_TRUE(g_spawn_async(nullptr, argv, nullptr, G_SPAWN_DO_NOT_REAP_CHILD, nullptr, nullptr, &first, nullptr));
    EXPECT_TRUE(waitFor([&] { return hiddenPageHolds(reviews, ".welcome-", "IKW_BRAND"); })) << "no welcome page";

    const auto second = testing::runProgram(IKW_APP_BINARY, { folder });
    EXPECT_EQ(second.exitStatus, 0) << second.standardError;
    EXPECT_TRUE(waitFor([&] { return hiddenPageHolds(reviews, ".loading-", "<li>" + folder + "</li>"); }))
        << "the running program did not review the handed-over folder";
    EXPECT_EQ(::waitpid(first, nullptr, WNOHANG), 0) << "the first start is still running";

    ::kill(first, SIGTERM);
    ::waitpid(first, nullptr, 0);
    g_spawn_close_pid(first);
}

TEST(ProgramOnADisplay, OneWelcomeWindowAtATimeAndTheProgramEndsWithItsLastWindow)
{
    testing::TempHome home; // its resources hold the welcome script below
    PrivateBus bus;
    const auto reviews = home.file(kReviewsFolderName);
    const auto closeFlag = home.file("close-now");
    // The welcome page closes its tab once the test asks (review pages may read local files).
    testing::writeTestFile(home.file("Resources/engine/welcome.js"),
        "document.body.textContent = 'welcome ' + window.IKW_DEMO;\n"
        "setInterval(function () {\n"
        "  try { var r = new XMLHttpRequest(); r.open('GET', 'file://" + closeFlag + "', false); r.send();\n"
        "        if (r.responseText) location.href = 'qeliz://histclose'; } catch (e) {}\n"
        "}, 200);\n");

    gchar* argv[] = { const_cast<gchar*>(IKW_APP_BINARY), const_cast<gchar*>("--demo"), const_cast<gchar*>("qa"), nullptr };
    GPid first = 0;
    ASSERT_TRUE(g_spawn_async(nullptr, argv, nullptr, G_SPAWN_DO_NOT_REAP_CHILD, nullptr, nullptr, &first, nullptr));
    ASSERT_TRUE(waitFor([&] { return hiddenPageHolds(reviews, ".welcome-", "window.IKW_DEMO=\"qa\""); })) << "no welcome page in demo qa";
    EXPECT_EQ(::waitpid(first, nullptr, WNOHANG), 0) << "the demo switch is the program's own";
    // The launch reported the application's permission for other tools.
    EXPECT_TRUE(waitFor([&] { return testing::readTestFile(home.file(".inkwarden/permissions.json")).find("\"title\": \"Files Extension\"") != std::string::npos; }))
        << testing::readTestFile(home.file(".inkwarden/permissions.json"));

    // A second start with nothing to open finds the welcome window on screen.
    const auto second = testing::runProgram(IKW_APP_BINARY, {});
    EXPECT_EQ(second.exitStatus, 0) << second.standardError;
    waitFor([&] { return hiddenPageCount(reviews, ".welcome-") > 1; }, 2);
    EXPECT_EQ(hiddenPageCount(reviews, ".welcome-"), 1);

    testing::writeTestFile(closeFlag, "close");
    int status = -1;
    const bool ended = waitFor([&] { return ::waitpid(first, &status, WNOHANG) == first; });
    if (!ended) {
        ::kill(first, SIGTERM);
        ::waitpid(first, nullptr, 0);
    }
    g_spawn_close_pid(first);
    ASSERT_TRUE(ended) << "the program outlived its last window";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

}
}
