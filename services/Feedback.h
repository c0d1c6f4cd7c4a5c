#pragma once

#include "app/Globals.h"
#include "platform/core/LazyValue.h"
#include "platform/core/ScopedInstall.h"
#include "platform/core/UserDefaults.h"
#include "platform/core/WorkQueue.h"
#include "platform/http/HttpClient.h"
#include "services/FeedbackIntent.h"

#include <array>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The client of the feedback service: the feedback kit's configuration and its two exchanges,
// sending a report and uploading a screenshot. Both run off the main thread and hand an optional
// result back on the main queue; every failure is an absent result, never an exception, and
// nothing is logged (the texts are the user's).
namespace ikw::services::Feedback {

// The feedback service, reached only over HTTPS at "/report" and "/screenshot".
inline constexpr std::string_view kServiceOrigin = "https://feedback.norvale.com";

// Where another program of the maker may have left the signed-in user's address.
inline constexpr std::array<std::string_view, 4> kContactEmailDefaultsKeys {
    "norvale.account.email", "norvaleAccountEmail", "account.email", "signedInEmail",
};

inline constexpr SrgbColor kDefaultAccentColor { 0.784, 0.659, 0.447, 1.0 };

// The longest an exchange may go without a byte moving, and the longest it may take at all (a
// server trickling bytes must not hold it for ever). Replies over kMaxReplyBytes count as none.
inline constexpr std::chrono::seconds kIdleTimeout { 60 };
inline constexpr std::chrono::minutes kTotalTimeout { 5 };
inline constexpr std::size_t kMaxReplyBytes = 1024 * 1024;

// Everything of the client that changes at run time, in one object: the program uses the one made
// on first use, and tests install their own. The configuration is read and written through the
// functions below, from any thread.
struct State {
    State();
    ~State();
    State(const State&) = delete;
    State& operator=(const State&) = delete;

    // Where the service is: the product's constant; tests point it at a stand-in.
    std::string origin { kServiceOrigin };
    std::shared_ptr<http::HttpClient> http;
    // The store of the contact keys and the idea nudge: the application's user defaults.
    std::function<UserDefaults()> defaults;

    mutable std::mutex mutex; // guards the three plain values below
    std::string appKey;
    std::string ingestKey;
    bool snapshotAttachedByDefault = true;
    // Computed at their first use, from the running bundle and the user defaults.
    LazyValue<std::string> version;
    LazyValue<std::string> build;
    LazyValue<std::string> productName;
    LazyValue<std::string> contactEmail;
    LazyValue<std::optional<SrgbColor>> accentColor;

    // Ends the exchanges in flight and keeps later ones from starting; none of them answers
    // afterwards. Waits for their tasks to end.
    void stopExchanges();
    std::shared_ptr<http::HttpCancellation> cancellation = std::make_shared<http::HttpCancellation>();
    std::atomic<bool> stopped { false };

    // The exchanges run here. Last, so that it ends (running what was posted) before the members
    // its tasks use.
    std::unique_ptr<WorkQueue> queue = makeConcurrentQueue("com.norvale.inkwarden.feedback");
};

// The installed state; the product's is made on first use.
std::shared_ptr<State> state();
// Makes `state` the client's and returns the previous one.
std::shared_ptr<State> install(std::shared_ptr<State> state);

// Installs a state for one scope and puts the previous one back afterwards.
using ScopedState = ScopedInstall<State, &install>;

// At quit: the installed state's exchanges end without answering, so that nothing waits on the
// network or reaches a main queue that is gone.
void stopExchanges();

// The configuration. An empty app key switches both exchanges off; an empty ingest key, sending.
std::string appKey();
void setAppKey(std::string key);
std::string ingestKey();
void setIngestKey(std::string key);
bool snapshotAttachedByDefault();
void setSnapshotAttachedByDefault(bool attached);
// The display name of the bundle, else its name, else "this app".
std::string productName();
void setProductName(std::string name);
// The first usable address under kContactEmailDefaultsKeys, read once per run.
std::string contactEmail();
void setContactEmail(std::string email);
std::optional<SrgbColor> accentColor();
void setAccentColor(std::optional<SrgbColor> color);
// The bundle's short version and build number.
std::string version();
std::string build();
// "2.3 (41)"; " ()" when both are empty.
std::string appVersionText();

// The first value under `keys` (kContactEmailDefaultsKeys when none are given) that, trimmed, looks
// like an address: it holds "@" and ".", does not begin with "@" and has no space. "" when none does.
std::string resolveContactEmail(const UserDefaults& store, const std::optional<std::vector<std::string>>& keys = std::nullopt);

struct Report {
    FeedbackIntent intent = FeedbackIntent::idea;
    std::string message {};
    std::string contact {};
    std::string screenshotURL {};
};

struct Screenshot {
    std::string bytes {};
    std::string contentType = "image/png";
};

using Completion = std::function<void(std::optional<std::string> result)>;

// Sends a report; the completion gets its reference code on the main queue.
void send(Report report, Completion completion);
// Uploads a screenshot; the completion gets the stored screenshot's URL on the main queue.
void uploadScreenshot(Screenshot screenshot, Completion completion);

// The same exchanges, blocking: background queues only.
std::optional<std::string> sendNow(const Report& report);
std::optional<std::string> uploadScreenshotNow(const Screenshot& screenshot);

}

// When the user last sent a report: the idea nudge keeps its values in the user defaults under
// "norvale.fbnudge.<app key>.".
namespace ikw::services::IdeaNudge {

void recordSubmission(std::chrono::system_clock::time_point now = std::chrono::system_clock::now());

}
