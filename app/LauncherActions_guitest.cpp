// The launcher's "New Window" and "Open…" reach the program over the session bus through the
// installed desktop entry: the first starts it when it is not running, later ones go to the
// running instance.
#include "app/Globals.h"
#include "platform/core/Process.h"
#include "tests/support/TempHome.h"
#include "tests/support/WindowScript.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace ikw {
namespace {

// Installs the desktop entry, calls the actions as a launcher does and reports, after each, how
// many welcome windows are on screen; the folder panel's window is reported as "Review=<id>".
// Data arrive as positional parameters only.
constexpr const char* kScript = R"sh(app=$1; installer=$2; brand=$3
welcome_windows() { xwininfo -root -tree | grep -c "\"$brand\": (\"CulmoraPhotos\""; }
wait_windows() { for _ in $(seq 150); do [ "$(welcome_windows)" -ge "$1" ] && break; sleep 0.2; done; sleep 1; echo "$2=$(welcome_windows)"; }
"$installer" "$app" >/dev/null || echo "installer failed"
gapplication action com.norvale.inkwarden new-window; echo "started=$?"
wait_windows 1 first
gapplication action com.norvale.inkwarden new-window; echo "again=$?"
wait_windows 2 second
gapplication action com.norvale.inkwarden open-folder; echo "open=$?"
wait_for Review
reply=$(gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
  --method org.freedesktop.DBus.GetConnectionUnixProcessID com.norvale.inkwarden)
pid=$(printf '%s' "$reply" | sed -n 's/^(uint32 \([0-9]*\),)$/\1/p')
[ -n "$pid" ] && kill "$pid"; true
)sh";

TEST(LauncherActions, NewWindowStartsTheProgramAndOpenShowsTheFolderPanel)
{
    testing::TempHome home;
    unsetenv("IKW_RESOURCES_DIR"); // the build's own bundle, with the stand-in engine
    const ScopedGlobals globals { Globals::build(Paths::fromEnvironment()) };

    ProcessOptions options;
    // A display of its own: the windows counted are this program's, whatever else runs meanwhile.
    // The bus starts the program with the bus's environment: the display comes first.
    options.argv = { "xvfb-run", "-a", "-s", "-screen 0 1280x1024x24", "dbus-run-session", "--", "/bin/bash", "-c", std::string(testing::kWindowWaitFunctions) + kScript, "launcher-test",
        IKW_APP_BINARY, std::string(IKW_SOURCE_DIR) + "/scripts/install-desktop-entry", globals.get().brand.name };
    options.timeoutSeconds = 120;
    const auto result = runProcess(options);
    const auto values = testing::reportedValues(result.standardOutput);
    const auto value = [&values](const std::string& key) { return values.count(key) ? values.at(key) : std::string(); };

    EXPECT_EQ(value("started"), "0") << result.standardError;
    EXPECT_EQ(value("first"), "1") << "the started program shows the new window alone (no welcome page besides)\n" << result.standardOutput;
    EXPECT_EQ(value("again"), "0") << result.standardError;
    EXPECT_EQ(value("second"), "2") << result.standardOutput;
    EXPECT_EQ(value("open"), "0") << result.standardError;
    EXPECT_FALSE(value("Review").empty()) << "no folder panel\n" << result.standardOutput << result.standardError;
}

}
}
