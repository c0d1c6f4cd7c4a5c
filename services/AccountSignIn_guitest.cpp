// The whole sign-in through the built program: a page asks to sign in, the desktop's default
// browser (a stand-in that follows the sign-in page's redirect with curl) hands the callback to
// the desktop, the desktop starts our program with it, the running instance takes it over the
// session bus, exchanges the code with a loopback stand-in of the account service and stores the
// token; a restart still knows the account.
#include "platform/core/Base64.h"
#include "platform/http/fake/LoopbackHttpServer.h"
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

bool waitFor(const std::function<bool()>& done, double seconds = 40)
{
    return testing::waitFor(done, seconds);
}

// The files under `folder` whose text holds `needle`.
std::vector<std::string> filesHolding(const std::string& folder, const std::string& needle)
{
    std::vector<std::string> found;
    std::error_code error;
    for (auto entry = std::filesystem::recursive_directory_iterator(folder, error); entry != std::filesystem::recursive_directory_iterator();
         entry.increment(error)) {
        if (error)
            break;
        if (entry->is_regular_file(error) && testing::readTestFile(entry->path().string()).find(needle) != std::string::npos)
            found.push_back(entry->path().string());
    }
    return found;
}

// A private session bus (so our program is the only instance there and no keyring answers),
// keeping the display.
class PrivateBus {
public:
    PrivateBus()
    {
        const std::string display = g_getenv("DISPLAY") ? g_getenv("DISPLAY") : "";
        g_test_dbus_up(m_bus);
        g_setenv("DISPLAY", display.c_str(), TRUE);
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

class RunningProgram {
public:
    RunningProgram()
    {
        gchar* argv[] = { const_cast<gchar*>(IKW_APP_BINARY), nullptr };
        m_started = g_spawn_async(nullptr, argv, nullptr, G_SPAWN_DO_NOT_REAP_CHILD, nullptr, nullptr, &m_pid, nullptr);
    }
    ~RunningProgram()
    {
        if (!m_started)
            return;
        ::kill(m_pid, SIGTERM);
        ::waitpid(m_pid, nullptr, 0);
        g_spawn_close_pid(m_pid);
    }
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;
    bool started() const { return m_started; }

private:
    GPid m_pid = 0;
    bool m_started = false;
};

std::string programPath(const char* name)
{
    gchar* found = g_find_program_in_path(name);
    std::string path = found ? found : "";
    g_free(found);
    return path;
}

class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const std::string& value) : m_name(name) { g_setenv(name, value.c_str(), TRUE); }
    ~ScopedEnvironment() { g_unsetenv(m_name); }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    const char* m_name;
};

// The welcome page's script: a sign-in that reports success by opening the settings panel, or
// (after the restart) the settings panel after a moment.
constexpr const char* kSignInPage =
    "window.InkwardenAccount = { _signInDone: function (ok, error) {\n"
    "  if (ok === true && error === '') location.href = 'qeliz://prefs';\n"
    "} };\n"
    "window.webkit.messageHandlers.inkwarden.postMessage({action: 'acct-signin'});\n";
constexpr const char* kSettingsPage = "setTimeout(function () { location.href = 'qeliz://prefs'; }, 1500);\n";

TEST(AccountSignIn, TheBrowserSignInStoresTheTokenAndARestartStillKnowsIt)
{
    const std::string gio = programPath("gio");
    if (programPath("curl").empty() || gio.empty())
        GTEST_SKIP() << "curl and gio are needed for the stand-in browser";
    testing::TempHome home;
    PrivateBus bus;
    const std::string token = "e2e-account-token.signature";
    http::LoopbackHttpServer service({ .script = IKW_ACCOUNT_SERVICE_SCRIPT, .arguments = { token, "e2e@example.test" } });
    ASSERT_TRUE(service.running()) << service.failure();
    ScopedEnvironment hub("IKW_ACCOUNT_HUB", service.url());

    // Our desktop entry (with its scheme handlers), and a browser that follows one redirect.
    const auto installed = testing::runProgram(std::string(IKW_SOURCE_DIR) + "/scripts/install-desktop-entry", { IKW_APP_BINARY });
    ASSERT_EQ(installed.exitStatus, 0) << installed.standardError;
    testing::writeTestFile(home.file("browser.sh"),
        "#!/bin/sh\n"
        "location=$(curl -s -o /dev/null -w '%{redirect_url}' \"$1\")\n"
        "exec gio open \"$location\"\n");
    testing::writeTestFile(home.file(".local/share/applications/ikw-test-browser.desktop"),
        "[Desktop Entry]\nType=Application\nName=Test Browser\nExec=/bin/sh " + home.file("browser.sh")
            + " %u\nMimeType=x-scheme-handler/http;\n");
    const auto browser = testing::runProgram(gio, { "mime", "x-scheme-handler/http", "ikw-test-browser.desktop" });
    ASSERT_EQ(browser.exitStatus, 0) << browser.standardError;
    const auto handler = testing::runProgram(gio, { "mime", "x-scheme-handler/inkwarden" });
    EXPECT_NE(handler.standardOutput.find("com.norvale.inkwarden.desktop"), std::string::npos) << handler.standardOutput;

    testing::writeTestFile(home.file("Resources/engine/panels.py"),
        testing::readTestFile(std::string(IKW_SOURCE_DIR) + "/tests/engine/panels.py"));
    const std::string signedIn = "signedIn&quot;:true";
    const std::string secrets = home.file(".local/share/Inkwarden/secrets.json");
    {
        testing::writeTestFile(home.file("Resources/engine/welcome.js"), kSignInPage);
        RunningProgram program;
        ASSERT_TRUE(program.started());
        EXPECT_TRUE(waitFor([&] { return !filesHolding(home.file(""), signedIn).empty(); }))
            << "the page was not told of a sign-in, or the settings do not show it";
        EXPECT_NE(testing::readTestFile(secrets).find(encodeBase64(token)), std::string::npos) << "the token was not stored";
    }
    for (const auto& page : filesHolding(home.file(""), signedIn))
        std::filesystem::remove(page);
    {
        testing::writeTestFile(home.file("Resources/engine/welcome.js"), kSettingsPage);
        RunningProgram program;
        ASSERT_TRUE(program.started());
        EXPECT_TRUE(waitFor([&] { return !filesHolding(home.file(""), signedIn).empty(); }))
            << "after a restart the settings do not show the account";
    }
}

}
}
