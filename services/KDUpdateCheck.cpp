// One update check, from the feed to an installed or pending update.
#include "services/KDUpdate.h"

#include "platform/core/Log.h"

namespace ikw::services::KDUpdate {

namespace {

void reportFailure(const std::string& stamp, const std::string& version, const Error& error, bool interactive)
{
    logLine("[KDUpdate] update to v" + version + " failed: " + error.message);
    status("checked " + stamp + " \u00b7 v" + version + " failed: " + error.message);
    if (interactive)
        alert("Update failed", error.message);
}

// Installs now (the application then quits and starts again) or keeps the update for the quit.
void installOrKeep(const Appcast& appcast, const std::string& bundle, const std::string& stamp, bool interactive)
{
    const bool installNow = interactive ? confirmInstall(appcast.version, appcast.build) : autoInstall();
    if (!installNow) {
        setPendingUpdate(StagedUpdate { .bundle = bundle, .version = appcast.version });
        status("v" + appcast.version + " ready to install");
        relayPendingUpdate(appcast.version);
        return;
    }
    status("installing v" + appcast.version + "\u2026");
    const auto updater = state();
    const auto error = updater->installStaged ? updater->installStaged(bundle, true) : std::optional(err("no installer"));
    if (error)
        reportFailure(stamp, appcast.version, *error, interactive);
}

}

void runCheck(bool interactive)
{
    const std::string stamp = timeStamp();
    const auto appcast = fetchAppcast();
    if (!appcast) {
        status("checked " + stamp + " \u00b7 feed unreachable");
        if (interactive)
            alert("Couldn't reach the update feed",
                "No update was applied. " + state()->feedBase + " may be unreachable from this network; the app keeps working as-is.");
        return;
    }

    const Version running = currentVersion();
    if (!isNewer(appcast->version, appcast->build, running)) {
        status("checked " + stamp + " \u00b7 up to date (v" + running.version + ")");
        if (interactive)
            alert("You're up to date", "v" + running.version + " (" + std::to_string(running.build) + ") is the latest build.");
        return;
    }
    // The feed's minimum system version names a macOS release; Linux has none to hold against
    // it, so an update is never refused for it.

    if (!interactive && !autoDownload()) {
        status("checked " + stamp + " \u00b7 v" + appcast->version + " available");
        relayPendingUpdate(appcast->version);
        return;
    }

    status("downloading v" + appcast->version + "\u2026");
    const DownloadResult download = downloadAndVerify(*appcast);
    if (download.error) {
        reportFailure(stamp, appcast->version, *download.error, interactive);
        return;
    }
    installOrKeep(*appcast, download.bundle, stamp, interactive);
}

}
