#pragma once

#include "platform/core/Paths.h"
#include "platform/core/ScopedInstall.h"
#include "platform/core/TaskQueue.h"
#include "platform/core/UserDefaults.h"
#include "platform/core/WorkQueue.h"
#include "platform/http/HttpClient.h"
#include "services/BundleSwapSteps.h"

#include <sys/types.h>

#include <atomic>
#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ikw::ui {
class Dialogs;
}

// The application's self-updater. This part holds its switches and its hooks into the
// application, and what surrounds a check: the blocking fetch, the running version, the alert and
// the install question, the tool runner, and the replacement of the running bundle by a staged one.
namespace ikw::services::KDUpdate {

inline constexpr std::string_view kAutoCheckKey = "KDUpdateAutoCheck";
inline constexpr std::string_view kAutoDownloadKey = "KDUpdateAutoDownload";
inline constexpr std::string_view kAutoInstallKey = "KDUpdateAutoInstall";
// When the last check started, in seconds since 1970.
inline constexpr std::string_view kLastCheckKey = "KDUpdateLastCheck";
// Where the products' appcasts live: "<feed base>/<app key>/appcast.json".
inline constexpr std::string_view kFeedBase = "https://updates.inkwarden.app";
// The limits on what the feed may send: the appcast, the archive, and the archive unpacked.
inline constexpr std::size_t kAppcastMaxBytes = std::size_t(1) << 20;
inline constexpr std::size_t kArchiveMaxBytes = std::size_t(1) << 30;
inline constexpr std::uint64_t kUnpackedMaxBytes = std::uint64_t(2) << 30;

// An updater failure, as a value: the domain "KDUpdate", code 1, and the text the user may see.
struct Error {
    std::string domain;
    int code = 0;
    std::string message;

    bool operator==(const Error&) const = default;
};
Error err(std::string message);

// A verified bundle a check staged without installing it, kept for the next quit.
struct StagedUpdate {
    std::string bundle; // the "<name>.app" folder in its "KDUpdate-…" staging folder
    std::string version;

    bool operator==(const StagedUpdate&) const = default;
};

// Ends what a check waits for (the network, the install question) when the program quits. Any
// thread.
class StopSignal {
public:
    void stop();
    bool stopped() const;
    // Calls `wake` once on stop (at once when already stopped), as long as the result is kept.
    [[nodiscard]] std::shared_ptr<void> onStop(std::function<void()> wake);

private:
    mutable std::mutex m_mutex;
    bool m_stopped = false;
    std::uint64_t m_nextId = 0;
    std::vector<std::pair<std::uint64_t, std::function<void()>>> m_wakes;
};

// Everything of the updater that changes at run time, in one object: the program installs one
// and tests replace it. A default-made state is the product's.
struct State {
    State();
    State(const State&) = delete;
    State& operator=(const State&) = delete;

    // Hooks the application installs on the main thread. The updater calls them on the main
    // queue, except autoEnabled, which the timer tick calls on the main thread.
    std::function<bool()> autoEnabled;
    std::function<void(const std::string& line)> onStatus;
    std::function<void(const std::string& version)> onPendingUpdate;
    std::function<void()> onPolicyChanged;
    // Asks the application to quit, as the user's Quit does (after a swap with relaunch).
    std::function<void()> requestQuit;

    // True while a check job is queued or running.
    std::atomic<bool> inFlight { false };

    // The product's key on the update feed; empty leaves the updater disabled. Set at launch,
    // before the schedule starts and before any check can be asked for.
    std::string appKey;
    // The feed's base address (https, no trailing slash), and the Ed25519 public key (32 raw
    // bytes) that every archive must be signed with. The product's are built in; tests serve
    // their own feed and sign with their own key.
    std::string feedBase { kFeedBase };
    std::string publicKey;
    // The schedule: the first background check this long after launch, then one every interval.
    double firstCheckDelay = 20;
    double checkInterval = 21600;
    // One check (`interactive` when a person asked for it), run on the updater's queue: runCheck
    // unless a test replaces it; none makes a check that only stamps its start.
    std::function<void(bool interactive)> check;
    // Puts a staged bundle in place (swapAndRelaunch unless a test replaces it).
    std::function<std::optional<Error>(const std::string& staged, bool relaunch)> installStaged;

    // The schedule's timers, main thread only.
    Timer firstStep;
    Timer periodic;

    // Where the switches are kept: the application's user defaults.
    std::function<UserDefaults()> defaults;
    // The client of the fetches.
    std::shared_ptr<http::HttpClient> http;
    // The alert port. Set and read on the main thread only; without one, alerts go to the log
    // and the install question answers "Later".
    ui::Dialogs* dialogs = nullptr;
    // This user's folders: the staging root is made under them.
    Paths paths;
    BundleSwapSteps swapSteps;
    // The process whose end the swap script waits for; this process when unset.
    std::optional<pid_t> awaitedProcess;

    // Stopped at quit: ends the fetch and the install question of a check under way, so that
    // the queue, which the program waits for, ends at once.
    StopSignal stopping;
    // How long the fetch and the install question may take.
    double fetchWaitSeconds = 180;
    double confirmWaitSeconds = 300;

    // Written by checks on the updater's queue, taken at quit on the main thread.
    std::mutex pendingMutex;
    std::optional<StagedUpdate> pending;

    // The updater's serial queue, "kd.update". Last, so that it ends (running what was posted)
    // before the members its tasks use.
    std::unique_ptr<WorkQueue> queue = makeSerialQueue("kd.update");
};

// The installed state; the product's is made on first use.
std::shared_ptr<State> state();
// Makes `state` the updater's and returns the previous one.
std::shared_ptr<State> install(std::shared_ptr<State> state);

// Installs a state for one scope and puts the previous one back afterwards.
using ScopedState = ScopedInstall<State, &install>;

// The policy switches, read afresh at every use from any thread. A key that is absent, or holds
// no boolean, reads true.
bool autoCheck();
bool autoDownload();
bool autoInstall();
// Each setter stores its key, then announces the change.
void setAutoCheck(bool on);
void setAutoDownload(bool on);
void setAutoInstall(bool on);
// True when all three are on. Setting writes check, download and install in that order and
// announces after each write.
bool fullyAutomatic();
void setFullyAutomatic(bool on);
// Calls onPolicyChanged on the main queue.
void onPolicyChange();

// The short time of status lines, "3:05pm": the hour without a leading zero, the minutes, am or pm.
std::string timeStamp();
std::string timeStamp(const std::tm& localTime);

// The body of an answer with status 200; nothing for any other status and for every failure.
// The request's `timeout` is its own limit on a stalled transfer (it becomes the idle time-out);
// the whole transfer ends after the state's fetch wait (180 s). The request's body limit stays.
// Blocks: background queues only.
std::optional<std::string> syncFetch(http::HttpRequest request);

struct Version {
    std::string version;
    std::int64_t build = 0;

    bool operator==(const Version&) const = default;
};
// The running bundle's version ("0" when it has none) and build number (0 unless its text is an
// optional sign and decimal digits that fit).
Version currentVersion();
std::int64_t parseBuildNumber(std::string_view text);

// An informational alert with one "OK" button, above the other windows. The caller does not wait.
void alert(const std::string& title, const std::string& message);

// Asks whether to install version `version` (`build`) now; true for "Install and Relaunch". Waits
// for the answer up to the state's confirm wait (300 s); when it runs out the question is taken
// down and the answer is false ("Later"). Never on the main thread, whose loop shows the question:
// the process ends there with a message.
bool confirmInstall(const std::string& version, std::int64_t build);

struct RunOutput {
    bool ok = false;
    std::string out; // standard output and standard error together; empty when not UTF-8
};
// Runs a tool to its end: ok when it exited with status 0. A tool that cannot start gives not ok
// and no output. Blocks: background queues only.
RunOutput run(const std::string& executable, const std::vector<std::string>& arguments);

// The private folder (0700, this user's) where checks stage updates, each in a folder
// "KDUpdate-…" of its own; nothing when none can be had.
std::optional<std::string> stagingRoot();

// Puts the staged bundle `staged` in place of the running application's bundle and starts the
// script that removes the old bundle and the staging folder once this process has exited (and,
// with `relaunch`, starts the new version; this process is then asked to quit). The application's
// path holds the old or the new application, complete, at every moment. `staged` must be a real
// folder "<name>.app" directly inside a "KDUpdate-…" folder of the staging root; anything else is
// refused before anything changes. Any thread.
[[nodiscard]] std::optional<Error> swapAndRelaunch(const std::string& staged, bool relaunch);

// The check: the feed, the comparison, the download, its verification and staging, and the
// decision to install now or at quit.

// One entry of the feed.
struct Appcast {
    std::string version;
    std::int64_t build = 0;
    std::string url; // https only
    std::string sha256; // 64 characters, lower case
    std::optional<std::string> minMacOS;
    // Base64 of the Ed25519 signature over the archive's bytes; empty when the feed gave none.
    std::string ed25519;

    bool operator==(const Appcast&) const = default;
};

// The entry an appcast's JSON text holds; none when it is not an object or a required member is
// missing or invalid (an http url among them). Unknown members are ignored.
std::optional<Appcast> parseAppcast(std::string_view json);
// True when the feed's version and build come after the running ones: dotted parts compared as
// numbers from the left (a missing or non-numeric part counts 0), then the build numbers.
bool isNewer(const std::string& version, std::int64_t build, const Version& running);
// Reads "<feed base>/<app key>/appcast.json"; none on any failure. Blocks.
std::optional<Appcast> fetchAppcast();

// "KDUpdate-<app key>-<version>-<build>", with every character outside [A-Za-z0-9._-] made "_"
// and no "..": the feed's text never names another folder.
std::string stagingFolderName(const std::string& appKey, const std::string& version, std::int64_t build);

struct DownloadResult {
    std::string bundle; // the verified "<name>.app" in its staging folder
    std::optional<Error> error;
};
// Downloads the entry's archive into a fresh staging folder, proves it by its SHA-256 and its
// signature before anything is written, unpacks it and finds its bundle. Blocks.
DownloadResult downloadAndVerify(const Appcast& appcast);

// One check, reported through status lines (and alerts when `interactive`). On the updater's
// queue only: it blocks on the network and on the install question.
void runCheck(bool interactive);

// Hands a status line to onStatus, and a staged update's version to onPendingUpdate, on the main queue.
void status(const std::string& line);
void relayPendingUpdate(const std::string& version);

// The policy: the feed key of a bundle identifier, the schedule, the check entry and the
// installation at quit.

// The feed key of a bundle identifier: the products' own keys, else the part after the last ".",
// else the identifier itself ("" gives "", which leaves the updater disabled).
std::string appKeyFor(std::string_view bundleIdentifier);

// The launch step: the feed key from the application's identifier, status lines shown through
// `showStatus` (given "Updates: on · <line>", on the main thread), then the schedule.
void setupAutoUpdate(std::string_view bundleIdentifier, std::function<void(const std::string& title)> showStatus);

// Starts the schedule on the main queue: the periodic step after firstCheckDelay, and every
// checkInterval from now. Without a feed key it logs that the updater is disabled and schedules
// nothing. Main thread.
void start();
// Ends the schedule, and the waits of a check under way, which then fails or keeps its update
// for later (at quit, while the main loop still exists). Main thread.
void stopSchedule();
// What the schedule runs: a background check when background checks are on (autoEnabled).
void periodicStep();

// Asks for one check. Dropped without a word when the updater is disabled or a check is already
// queued or running; an interactive request is dropped too. Any thread.
void checkNow(bool interactive);

// The staged update waiting for the next quit: a newer one replaces it. Any thread.
void setPendingUpdate(StagedUpdate staged);
// Takes it, leaving none. Any thread.
std::optional<StagedUpdate> takePendingUpdate();
// At quit: puts the staged update in place without relaunching, and logs a failure.
void installPendingOnQuitIfAny();

}
