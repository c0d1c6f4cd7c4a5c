#include "services/KDUpdate.h"

#include "app/Globals.h"
#include "platform/core/Base64.h"
#include "platform/core/Identifiers.h"
#include "platform/core/Json.h"
#include "platform/core/fake/Ed25519TestKey.h"
#include "platform/core/fake/ManualMainQueue.h"
#include "platform/http/CurlHttpClient.h"
#include "platform/http/fake/FakeHttpClient.h"
#include "platform/http/fake/LoopbackHttpServer.h"
#include "platform/ui/fake/FakeToolkit.h"
#include "tests/support/TempHome.h"
#include "tests/support/ZipFixtures.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <future>
#include <regex>

namespace ikw::services {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Two bundles, listed out of name order, so that only sorting picks "A.app".
const std::vector<testing::ModedZipMember> kTwoBundles {
    { "B.app/bin/CulmoraPhotos", "#!/bin/sh\n", S_IFREG | 0755 },
    { "A.app/bin/CulmoraPhotos", "#!/bin/sh\n", S_IFREG | 0755 },
    { "A.app/Resources/VERSION", "2.1\n" },
};

// The status lines with their time stamp made "<T>".
std::vector<std::string> withoutTimes(std::vector<std::string> lines)
{
    static const std::regex stamp("^checked [0-9]{1,2}:[0-9]{2}[ap]m ");
    for (auto& line : lines)
        line = std::regex_replace(line, stamp, "checked <T> ");
    return lines;
}

// An updater running at version 2.0.0 (5) under a temporary home, staging under it, trusting a
// test key.
class KDUpdateCheckTest : public ::testing::Test {
protected:
    KDUpdateCheckTest()
    {
        testing::writeTestFile(home.file("Resources/VERSION"), "2.0.0\n");
        testing::writeTestFile(home.file("Resources/BUILD"), "5\n");
        globals.emplace(Globals::build(Paths::fromEnvironment()));
        fs::create_directories(home.file("runtime"));
        fs::permissions(home.file("runtime"), fs::perms::owner_all);
        updater->paths.runtimeDir = home.file("runtime");
        updater->defaults = [path = home.file("support/com.norvale.inkwarden.json")] { return UserDefaults(path); };
        updater->appKey = "inkwarden";
        updater->publicKey = key.publicKey();
        updater->dialogs = &dialogs;
        updater->onStatus = [this](const std::string& line) { statuses.push_back(line); };
        updater->onPendingUpdate = [this](const std::string& version) { pendingCalls.push_back(version); };
        updater->installStaged = [this](const std::string& staged, bool relaunch) {
            installs.emplace_back(staged, relaunch);
            return swapFailure;
        };
    }

    // The appcast of `archive`, signed by the test key.
    Json appcastFor(const std::string& archive, const std::string& url, const std::string& version = "2.1")
    {
        return Json { { "version", version }, { "build", 6 }, { "url", url }, { "sha256", sha256Hex(archive) },
            { "ed25519", encodeBase64(key.sign(archive)) } };
    }

    // Runs a check as the updater's queue would, serving the main queue meanwhile.
    void check(bool interactive)
    {
        auto done = std::async(std::launch::async, [interactive] {
            KDUpdate::runCheck(interactive);
            mainQueue().post([] { });
        });
        ASSERT_TRUE(queue.runUntil([&] { return done.wait_for(0s) == std::future_status::ready; }));
        done.get();
        queue.drain();
    }

    std::string root() { return *KDUpdate::stagingRoot(); }

    testing::TempHome home;
    std::optional<ScopedGlobals> globals;
    ManualMainQueue queue;
    ui::fake::FakeDialogs dialogs;
    Ed25519TestKey key;
    std::shared_ptr<KDUpdate::State> updater = std::make_shared<KDUpdate::State>();
    KDUpdate::ScopedState installed { updater };
    std::vector<std::string> statuses, pendingCalls;
    std::vector<std::pair<std::string, bool>> installs;
    std::optional<KDUpdate::Error> swapFailure;
};

TEST(KDUpdateAppcast, ReadsTheEntryByItsRules)
{
    const std::string sha(64, 'a');
    const std::string fields = R"("url":"https://updates.example/i/2.1.zip","sha256":")" + sha + "\"";
    const struct {
        std::string json;
        std::optional<std::int64_t> build; // none: the appcast is unusable
    } cases[] = {
        { R"({"version":"2.1",)" + fields + "}", 0 },
        { R"({"version":"2.1","build":57,)" + fields + "}", 57 },
        { R"({"version":"2.1","build":"57",)" + fields + "}", 57 },
        { R"({"version":"2.1","build":"57a",)" + fields + "}", 0 },
        { R"({"version":"2.1","build":57.5,)" + fields + "}", 0 },
        { R"({"version":"2.1","min_macos":"99.0","extra":[1],)" + fields + "}", 0 },
        { R"({"version":"2.1","min_macos":99,)" + fields + "}", std::nullopt },
        { R"({"build":6,)" + fields + "}", std::nullopt },
        { R"({"version":2.1,)" + fields + "}", std::nullopt },
        { R"({"version":"2.1","url":"http://updates.example/i/2.1.zip","sha256":")" + sha + "\"}", std::nullopt },
        { R"({"version":"2.1","url":"HTTPS://updates.example/i.zip","sha256":")" + sha + "\"}", std::nullopt },
        { R"({"version":"2.1","url":"https:///nohost.zip","sha256":")" + sha + "\"}", std::nullopt },
        { R"({"version":"2.1","url":"https://updates.example/i/2.1.zip","sha256":")" + sha.substr(1) + "\"}", std::nullopt },
        { R"({"version":"2.1","url":"https://updates.example/i/2.1.zip"})", std::nullopt },
        { std::string("[") + R"({"version":"2.1",)" + fields + "}]", std::nullopt },
        { "not json", std::nullopt },
    };
    for (const auto& c : cases) {
        const auto appcast = KDUpdate::parseAppcast(c.json);
        EXPECT_EQ(appcast.has_value(), c.build.has_value()) << c.json;
        if (appcast && c.build) {
            EXPECT_EQ(appcast->build, *c.build) << c.json;
        }
    }

    const auto upper = KDUpdate::parseAppcast(R"({"version":"2.1","url":"https://u.example/a.zip","sha256":")" + std::string(64, 'F')
        + R"(","min_macos":"99.0","ed25519":"c2ln"})");
    ASSERT_TRUE(upper);
    EXPECT_EQ(upper->sha256, std::string(64, 'f'));
    EXPECT_EQ(upper->minMacOS, "99.0");
    EXPECT_EQ(upper->ed25519, "c2ln");
}

TEST(KDUpdateAppcast, ComparesDottedNumbersThenTheBuild)
{
    const struct {
        const char* offered;
        std::int64_t offeredBuild;
        KDUpdate::Version running;
        bool newer;
    } cases[] = {
        { "2.0", 5, { "2.0.0", 5 }, false },
        { "2.0", 6, { "2.0.0", 5 }, true },
        { "2.0.0", 4, { "2.0", 5 }, false },
        { "2.10", 0, { "2.9", 99 }, true },
        { "2.9", 99, { "2.10", 0 }, false },
        { "3", 0, { "2.99.99", 1000 }, true },
        { "2.x", 6, { "2.0", 5 }, true }, // "x" counts 0, so the builds decide
        { "2..1", 0, { "2.1", 0 }, false },
        { "0", 1, { "0", 0 }, true },
    };
    for (const auto& c : cases)
        EXPECT_EQ(KDUpdate::isNewer(c.offered, c.offeredBuild, c.running), c.newer) << c.offered << " against " << c.running.version;
}

TEST(KDUpdateStaging, TheFolderNameNeverLeavesTheFolder)
{
    const struct {
        const char* version;
        const char* name;
    } cases[] = {
        { "2.1", "KDUpdate-inkwarden-2.1-6" },
        { "../../x", "KDUpdate-inkwarden-.__.__x-6" },
        { "..", "KDUpdate-inkwarden-._-6" },
        { "2 1/é", "KDUpdate-inkwarden-2_1___-6" },
    };
    for (const auto& c : cases)
        EXPECT_EQ(KDUpdate::stagingFolderName("inkwarden", c.version, 6), c.name) << c.version;
}

// The HTTPS stand-in of the feed, serving a folder, and the product's own client trusting it.
class KDUpdateFeedTest : public KDUpdateCheckTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(http::writeLoopbackCertificate(home.path()));
        server.emplace(http::LoopbackServerOptions { .script = IKW_UPDATE_FEED_SCRIPT, .arguments = { feed() },
            .certificateFile = home.file("cert.pem"), .keyFile = home.file("key.pem") });
        ASSERT_TRUE(server->running()) << server->failure();
        updater->feedBase = server->url();
        http::CurlHttpClientOptions trusting;
        trusting.caFile = home.file("cert.pem");
        updater->http = std::make_shared<http::CurlHttpClient>(trusting);
    }

    std::string feed() { return home.file("feed"); }

    // Publishes an archive, and an appcast for it (changed by `edit`), on the stand-in.
    Json publish(const std::string& archive, const std::function<void(Json&)>& edit = {})
    {
        testing::writeTestFile(feed() + "/files/update.zip", archive);
        Json appcast = appcastFor(archive, server->url("/files/update.zip"));
        if (edit)
            edit(appcast);
        testing::writeTestFile(feed() + "/inkwarden/appcast.json", toPlainJson(appcast));
        return appcast;
    }

    KDUpdate::DownloadResult download(const Json& appcast)
    {
        const auto parsed = KDUpdate::parseAppcast(toPlainJson(appcast));
        EXPECT_TRUE(parsed);
        return parsed ? KDUpdate::downloadAndVerify(*parsed) : KDUpdate::DownloadResult {};
    }

    std::optional<http::LoopbackHttpServer> server;
};

TEST_F(KDUpdateFeedTest, AnUnusableFeedIsReportedAsUnreachable)
{
    const std::string archive = testing::zipWithModes(kTwoBundles);
    const struct {
        const char* name;
        std::function<void()> serve;
        std::vector<std::string> statuses;
    } cases[] = {
        { "no appcast (404)", [&] { fs::remove_all(feed()); }, { "checked <T> \u00b7 feed unreachable" } },
        { "an http url", [&] { publish(archive, [](Json& a) { a["url"] = "http://127.0.0.1/update.zip"; }); },
            { "checked <T> \u00b7 feed unreachable" } },
        { "no version", [&] { publish(archive, [](Json& a) { a.erase("version"); }); }, { "checked <T> \u00b7 feed unreachable" } },
        { "a 63-character sha256", [&] { publish(archive, [](Json& a) { a["sha256"] = std::string(63, 'a'); }); },
            { "checked <T> \u00b7 feed unreachable" } },
        { "a body over 1 MiB", [&] { publish(archive, [](Json& a) { a["padding"] = std::string(1 << 20, ' '); }); },
            { "checked <T> \u00b7 feed unreachable" } },
        { "the same version", [&] { publish(archive, [](Json& a) { a["version"] = "2.0"; a["build"] = 5; }); },
            { "checked <T> \u00b7 up to date (v2.0.0)" } },
        // Linux has no macOS version to fall short of.
        { "a minimum macOS", [&] { publish(archive, [](Json& a) { a["min_macos"] = "99.0"; }); },
            { "checked <T> \u00b7 v2.1 available" } },
    };
    KDUpdate::setAutoDownload(false);
    for (const auto& c : cases) {
        statuses.clear();
        c.serve();
        check(false);
        EXPECT_EQ(withoutTimes(statuses), c.statuses) << c.name;
    }
    EXPECT_TRUE(dialogs.alerts.empty()) << "a background check shows no alert";

    fs::remove_all(feed());
    check(true);
    ASSERT_EQ(dialogs.alerts.size(), 1u);
    EXPECT_EQ(dialogs.alerts[0].request.message, "Couldn't reach the update feed");
    EXPECT_EQ(dialogs.alerts[0].request.informativeText,
        "No update was applied. " + server->url() + " may be unreachable from this network; the app keeps working as-is.");
}

TEST_F(KDUpdateFeedTest, OnlyTheGenuineArchiveIsUnpackedAndOnlyInsideItsFolder)
{
    const std::string good = testing::zipWithModes(kTwoBundles);
    const std::string absoluteVictim = home.file("absolute-victim");
    const Ed25519TestKey stranger;
    const struct {
        const char* name;
        std::string archive;
        std::function<void(Json&)> edit;
        std::string error;
    } cases[] = {
        { "a tampered archive", good + "tail", [&](Json& a) { a["sha256"] = sha256Hex(good); },
            "sha256 mismatch (got " + sha256Hex(good + "tail").substr(0, 12) + "\u2026, manifest " + sha256Hex(good).substr(0, 12) + "\u2026)" },
        { "no signature", good, [](Json& a) { a.erase("ed25519"); }, "code signature invalid" },
        { "a foreign signature", good, [&](Json& a) { a["ed25519"] = encodeBase64(stranger.sign(good)); }, "code signature invalid" },
        { "a signature of other bytes", good, [&](Json& a) { a["ed25519"] = encodeBase64(key.sign(good + "x")); }, "code signature invalid" },
        { "an entry ../evil", testing::zipWithModes({ { "A.app/x", "x" }, { "../victim", "x" } }), {}, "unzip failed" },
        { "an absolute entry", testing::zipWithModes({ { absoluteVictim, "x" } }), {}, "unzip failed" },
        { "a link leaving the folder", testing::zipWithModes({ { "A.app/out", "../../..", S_IFLNK | 0777 } }), {}, "unzip failed" },
        { "no bundle", testing::zipWithModes({ { "README", "x" }, { "notes.app", "a file, not a bundle" } }), {}, "no .app in the archive" },
        { "not a zip archive", "plain bytes", {}, "unzip failed" },
    };
    for (const auto& c : cases) {
        const Json appcast = publish(c.archive, [&](Json& a) {
            a["build"] = &c - cases; // a folder of its own per case
            if (c.edit)
                c.edit(a);
        });
        const auto result = download(appcast);
        ASSERT_TRUE(result.error) << c.name;
        EXPECT_EQ(result.error->message, c.error) << c.name;
        EXPECT_EQ(result.error->domain, "KDUpdate") << c.name;
        const std::string folder = root() + "/" + KDUpdate::stagingFolderName("inkwarden", "2.1", &c - cases);
        if (c.error.starts_with("sha256") || c.error == "code signature invalid") {
            EXPECT_EQ(testing::folderEntries(folder), std::vector<std::string> {}) << c.name << ": nothing written";
        }
        EXPECT_FALSE(fs::exists(fs::symlink_status(absoluteVictim))) << c.name;
        EXPECT_FALSE(fs::exists(fs::symlink_status(root() + "/victim"))) << c.name;
    }

    // An unreachable archive.
    const auto missing = download(publish(good, [&](Json& a) { a["url"] = server->url("/files/missing.zip"); }));
    EXPECT_EQ(missing.error.value_or(KDUpdate::Error {}).message, "download failed");
}

TEST_F(KDUpdateFeedTest, AGenuineArchiveStagesItsFirstBundleByNameInsideThePrivateFolder)
{
    const std::string archive = testing::zipWithModes(kTwoBundles);
    for (const std::string version : { "2.1", "../../x" }) {
        const auto result = download(publish(archive, [&](Json& a) { a["version"] = version; }));
        ASSERT_FALSE(result.error) << version << ": " << result.error->message;
        const fs::path bundle(result.bundle);
        EXPECT_EQ(bundle.filename(), "A.app") << version;
        EXPECT_EQ(bundle.parent_path().parent_path(), fs::path(root())) << version;
        EXPECT_EQ(testing::folderEntries(bundle.parent_path()), (std::vector<std::string> { "A.app", "B.app", "update.zip" })) << version;
        EXPECT_EQ(testing::fileMode(result.bundle + "/bin/CulmoraPhotos"), 0755u) << version;
    }
    EXPECT_EQ(testing::folderEntries(root()), (std::vector<std::string> { "KDUpdate-inkwarden-.__.__x-6", "KDUpdate-inkwarden-2.1-6" }));

    // A second check of the same version starts from an empty folder: nothing earlier survives,
    // and a link left in it is removed, not followed.
    const std::string folder = root() + "/KDUpdate-inkwarden-2.1-6";
    testing::writeTestFile(home.file("keep/precious"), "mine");
    fs::create_directory_symlink(home.file("keep"), folder + "/link");
    ASSERT_FALSE(download(publish(archive)).error);
    EXPECT_EQ(testing::folderEntries(folder), (std::vector<std::string> { "A.app", "B.app", "update.zip" }));
    EXPECT_EQ(testing::readTestFile(home.file("keep/precious")), "mine");
}

TEST_F(KDUpdateFeedTest, AnInteractiveCheckStagesTheUpdateAndLaterLeavesItPending)
{
    publish(testing::zipWithModes(kTwoBundles));
    dialogs.alertAnswers.push_back({ .button = 1 });
    check(true);

    EXPECT_EQ(withoutTimes(statuses), (std::vector<std::string> { "downloading v2.1\u2026", "v2.1 ready to install" }));
    ASSERT_EQ(dialogs.alerts.size(), 1u);
    EXPECT_EQ(dialogs.alerts[0].request.message, "A new version is available");
    EXPECT_EQ(dialogs.alerts[0].request.informativeText, "v2.1 (6) is ready. Install it now? The app will relaunch.");
    EXPECT_EQ(pendingCalls, std::vector<std::string> { "2.1" });
    EXPECT_TRUE(installs.empty());
    const auto pending = KDUpdate::takePendingUpdate();
    ASSERT_TRUE(pending);
    EXPECT_EQ(pending->version, "2.1");
    EXPECT_EQ(pending->bundle, root() + "/KDUpdate-inkwarden-2.1-6/A.app");
    EXPECT_EQ(testing::readTestFile(pending->bundle + "/Resources/VERSION"), "2.1\n");
}

// The decisions after a verified download, against a feed of fakes.
TEST_F(KDUpdateCheckTest, DecidesBetweenAvailableInstalledAndPending)
{
    const std::string archive = testing::zipWithModes(kTwoBundles);
    auto feed = std::make_shared<http::FakeHttpClient>();
    updater->feedBase = "https://feed.example";
    feed->answer("GET", "https://feed.example/inkwarden/appcast.json", http::FakeHttpClient::ok(toPlainJson(appcastFor(archive, "https://feed.example/a.zip"))));
    feed->answer("GET", "https://feed.example/a.zip", http::FakeHttpClient::ok(archive));
    updater->http = feed;
    const std::string bundle = root() + "/KDUpdate-inkwarden-2.1-6/A.app";
    using Installs = std::vector<std::pair<std::string, bool>>;

    const struct {
        const char* name;
        bool interactive;
        bool autoDownload, autoInstall;
        std::optional<int> answer; // none: the question goes unanswered
        std::optional<std::string> swapFails;
        std::vector<std::string> statuses;
        std::vector<std::string> pendingCalls;
        Installs installs;
        bool pending;
        std::vector<std::string> alerts;
    } cases[] = {
        { "background, no downloads", false, false, true, {}, {}, { "checked <T> \u00b7 v2.1 available" }, { "2.1" }, {}, false, {} },
        { "background, no installs", false, true, false, {}, {}, { "downloading v2.1\u2026", "v2.1 ready to install" }, { "2.1" }, {}, true, {} },
        { "background, installs", false, true, true, {}, {}, { "downloading v2.1\u2026", "installing v2.1\u2026" }, {}, { { bundle, true } }, false, {} },
        { "interactive, Later", true, false, true, 1, {}, { "downloading v2.1\u2026", "v2.1 ready to install" }, { "2.1" }, {}, true,
            { "A new version is available" } },
        { "interactive, unanswered", true, false, false, std::nullopt, {}, { "downloading v2.1\u2026", "v2.1 ready to install" }, { "2.1" }, {}, true,
            { "A new version is available" } },
        { "interactive, Install", true, true, false, 0, {}, { "downloading v2.1\u2026", "installing v2.1\u2026" }, {}, { { bundle, true } }, false,
            { "A new version is available" } },
        { "interactive, the swap fails", true, true, false, 0, "disk full",
            { "downloading v2.1\u2026", "installing v2.1\u2026", "checked <T> \u00b7 v2.1 failed: disk full" }, {}, { { bundle, true } }, false,
            { "A new version is available", "Update failed" } },
    };
    for (const auto& c : cases) {
        statuses.clear();
        pendingCalls.clear();
        installs.clear();
        dialogs.alerts.clear();
        KDUpdate::setAutoDownload(c.autoDownload);
        KDUpdate::setAutoInstall(c.autoInstall);
        dialogs.keepsAlertsOpen = !c.answer;
        updater->confirmWaitSeconds = c.answer ? 30 : 0.2;
        if (c.answer)
            dialogs.alertAnswers.push_back({ .button = *c.answer });
        swapFailure = c.swapFails ? std::optional(KDUpdate::err(*c.swapFails)) : std::nullopt;

        check(c.interactive);
        EXPECT_EQ(withoutTimes(statuses), c.statuses) << c.name;
        EXPECT_EQ(pendingCalls, c.pendingCalls) << c.name;
        EXPECT_EQ(installs, c.installs) << c.name;
        std::vector<std::string> alerts;
        for (const auto& shown : dialogs.alerts)
            alerts.push_back(shown.request.message);
        EXPECT_EQ(alerts, c.alerts) << c.name;
        if (c.swapFails) {
            EXPECT_EQ(dialogs.alerts.back().request.informativeText, *c.swapFails) << c.name;
        }

        const auto pending = KDUpdate::takePendingUpdate();
        EXPECT_EQ(pending.has_value(), c.pending) << c.name;
        if (pending) {
            // The quit step installs what was kept, without relaunching.
            KDUpdate::setPendingUpdate(*pending);
            installs.clear();
            KDUpdate::installPendingOnQuitIfAny();
            EXPECT_EQ(installs, (Installs { { bundle, false } })) << c.name;
        }
    }
}

}
}
