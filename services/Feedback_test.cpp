#include "services/Feedback.h"
#include "services/FeedbackSetup.h"

#include "app/Globals.h"
#include "platform/core/Iso8601.h"
#include "platform/core/fake/ManualMainQueue.h"
#include "platform/http/CurlHttpClient.h"
#include "platform/http/fake/LoopbackHttpServer.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <thread>

namespace ikw::services {
namespace {

using namespace std::chrono_literals;

double secondsNow()
{
    return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
}

// The client against a stand-in of the feedback service, which records every request and answers
// each path as the test says.
class FeedbackTest : public ::testing::Test {
protected:
    FeedbackTest()
    {
        answer("/report", 200, R"({"code":"R-0"})");
        client->defaults = [path = defaultsPath] { return UserDefaults(path); };
        client->version.set("2.3");
        client->build.set("41");
        Feedback::setAppKey("inkwarden");
        Feedback::setIngestKey("ingest-key");
    }

    void SetUp() override
    {
        if (!server->running())
            GTEST_SKIP() << server->failure();
        client->origin = server->url();
    }

    void answer(const std::string& path, int status, const std::string& body, double delay = 0)
    {
        answers[path] = { { "status", status }, { "body", body }, { "delay", delay } };
        std::ofstream(answersPath) << toPlainJson(answers);
    }

    // What reached the service, oldest first.
    std::vector<Json> requests() const
    {
        std::vector<Json> all;
        std::ifstream log(logPath);
        for (std::string line; std::getline(log, line);)
            all.push_back(parseJson(line).value_or(Json()));
        return all;
    }

    UserDefaults defaults() const { return UserDefaults(defaultsPath); }

    void startSecureServer()
    {
        server = std::make_unique<http::LoopbackHttpServer>(http::LoopbackServerOptions {
            IKW_FEEDBACK_SERVICE_SCRIPT, { answersPath, logPath }, home.file("cert.pem"), home.file("key.pem") });
        client->origin = server->url();
    }

    testing::TempHome home;
    ScopedGlobals globals { Globals::build(Paths::fromEnvironment()) };
    ManualMainQueue queue;
    std::string answersPath = home.file("answers.json");
    std::string logPath = home.file("requests.log");
    std::string defaultsPath = home.file("defaults.json");
    Json answers = Json::object();
    std::unique_ptr<http::LoopbackHttpServer> server = std::make_unique<http::LoopbackHttpServer>(
        http::LoopbackServerOptions { IKW_FEEDBACK_SERVICE_SCRIPT, { answersPath, logPath }, {}, {} });
    std::shared_ptr<Feedback::State> client = std::make_shared<Feedback::State>();
    Feedback::ScopedState installed { client };
};

TEST_F(FeedbackTest, TheReportReplyGivesTheCodeAndTheNudgeIsRecordedWhenItHasOne)
{
    const std::string pad(Feedback::kMaxReplyBytes - std::string(R"({"code":"R-3","pad":""})").size(), 'x');
    const struct {
        const char* what;
        int status;
        std::string body;
        std::optional<std::string> code;
        bool nudged;
    } cases[] = {
        { "an error status with a code", 500, R"({"code":"R-1","more":true})", "R-1", true },
        { "a code that is a number", 200, R"({"code":123})", std::nullopt, true },
        { "no code", 200, R"({"id":"R-2"})", std::nullopt, false },
        { "not JSON", 200, "<html>Bad gateway</html>", std::nullopt, false },
        { "JSON but no object", 200, R"(["R-2"])", std::nullopt, false },
        { "a reply at the size limit", 200, R"({"code":"R-3","pad":")" + pad + "\"}", "R-3", true },
        { "a reply over the size limit", 200, R"({"code":"R-4","pad":"x)" + pad + "\"}", std::nullopt, false },
    };
    for (const auto& c : cases) {
        defaults().remove("norvale.fbnudge.inkwarden.lastSubmitAt");
        defaults().remove("norvale.fbnudge.inkwarden.dismissals");
        answer("/report", c.status, c.body);
        const double before = secondsNow();
        EXPECT_EQ(Feedback::sendNow({ .intent = FeedbackIntent::bug, .message = "It broke" }), c.code) << c.what;
        const double after = secondsNow();

        const auto submitted = defaults().number("norvale.fbnudge.inkwarden.lastSubmitAt");
        const auto dismissals = defaults().number("norvale.fbnudge.inkwarden.dismissals");
        EXPECT_EQ(submitted.has_value(), c.nudged) << c.what;
        EXPECT_EQ(dismissals.has_value(), c.nudged) << c.what;
        if (submitted && dismissals) {
            EXPECT_GE(*submitted, before - 0.001) << c.what;
            EXPECT_LE(*submitted, after + 0.001) << c.what;
            EXPECT_EQ(*dismissals, 0) << c.what;
        }
    }

    const auto sent = requests();
    ASSERT_EQ(sent.size(), std::size(cases));
    for (const Json& request : sent) {
        EXPECT_EQ(request["method"], "POST");
        EXPECT_EQ(request["path"], "/report");
        EXPECT_EQ(request["headers"]["content-type"], "application/json");
        EXPECT_EQ(request["headers"]["x-fb-key"], "ingest-key");
    }
}

TEST_F(FeedbackTest, EveryReportCarriesTheEightMembers)
{
    EXPECT_EQ(Feedback::sendNow({ .intent = FeedbackIntent::praise, .message = "Lovely/fast \"app\"" }), "R-0");
    EXPECT_EQ(Feedback::sendNow({ .intent = FeedbackIntent::idea, .message = "", .contact = "a@b.co", .screenshotURL = "https://s/1" }), "R-0");
    const auto sent = requests();
    ASSERT_EQ(sent.size(), 2u);

    const auto first = parseJson(sent[0]["body"].get<std::string>());
    ASSERT_TRUE(first && first->is_object());
    EXPECT_EQ(first->size(), 8u) << first->dump();
    EXPECT_EQ((*first)["app_key"], "inkwarden");
    EXPECT_EQ((*first)["version"], "2.3");
    EXPECT_EQ((*first)["platform"], "macos");
    EXPECT_EQ((*first)["intent"], "praise");
    EXPECT_EQ((*first)["message"], "Lovely/fast \"app\"");
    EXPECT_EQ((*first)["contact"], "");
    EXPECT_EQ((*first)["screenshot_url"], "");
    const Json& bundle = (*first)["bundle"];
    EXPECT_EQ(bundle.size(), 4u) << bundle.dump();
    EXPECT_EQ(bundle["app_version"], "2.3 (41)");
    EXPECT_EQ(bundle["thermal"], 0);
    const auto stamp = parseIso8601Utc(bundle["ts"].get<std::string>());
    ASSERT_TRUE(stamp) << bundle["ts"];
    EXPECT_LE(std::abs(*stamp - std::time(nullptr)), 60);
    EXPECT_TRUE(bundle["os"].get<std::string>().ends_with(")")) << bundle["os"];

    const auto second = parseJson(sent[1]["body"].get<std::string>());
    ASSERT_TRUE(second);
    EXPECT_EQ(second->size(), 8u);
    EXPECT_EQ((*second)["intent"], "idea");
    EXPECT_EQ((*second)["contact"], "a@b.co");
    EXPECT_EQ((*second)["screenshot_url"], "https://s/1");
}

TEST_F(FeedbackTest, AScreenshotGoesUpWithoutTheIngestKeyWhileAReportDoesNot)
{
    Feedback::setIngestKey("");
    EXPECT_EQ(Feedback::sendNow({ .message = "hello" }), std::nullopt);
    EXPECT_TRUE(requests().empty()) << "a report without its key opens no connection";

    const struct {
        const char* reply;
        std::optional<std::string> url;
    } cases[] = {
        { R"({"id":"abc"})", "/screenshot/abc" },
        { R"({"id":7})", std::nullopt },
        { R"({"url":"abc"})", std::nullopt },
        { "abc", std::nullopt },
    };
    for (const auto& c : cases) {
        answer("/screenshot", 201, c.reply);
        const auto url = Feedback::uploadScreenshotNow({ .bytes = "JPEG bytes", .contentType = "image/jpeg" });
        EXPECT_EQ(url, c.url ? std::optional(server->url(*c.url)) : std::nullopt) << c.reply;
    }

    const auto sent = requests();
    ASSERT_EQ(sent.size(), std::size(cases));
    const Json& upload = sent[0];
    EXPECT_EQ(upload["method"], "POST");
    EXPECT_EQ(upload["path"], "/screenshot");
    EXPECT_EQ(upload["body"], "JPEG bytes");
    EXPECT_EQ(upload["headers"]["content-type"], "image/jpeg");
    EXPECT_EQ(upload["headers"]["x-app"], "inkwarden");
    EXPECT_EQ(upload["headers"]["x-purpose"], "debug");
    EXPECT_EQ(upload["headers"]["x-app-version"], "2.3 (41)");
    EXPECT_FALSE(upload["headers"].contains("x-fb-key"));
}

TEST_F(FeedbackTest, WithoutAnAppKeyNothingIsSent)
{
    Feedback::setAppKey("");
    answer("/screenshot", 200, R"({"id":"abc"})");
    EXPECT_EQ(Feedback::sendNow({ .message = "hello" }), std::nullopt);
    EXPECT_EQ(Feedback::uploadScreenshotNow({ .bytes = "png" }), std::nullopt);
    EXPECT_TRUE(requests().empty());
}

TEST_F(FeedbackTest, ResultsComeBackOnTheMainQueue)
{
    answer("/screenshot", 200, R"({"id":"s1"})");
    std::vector<std::string> results;
    const auto collect = [&](std::optional<std::string> result) {
        EXPECT_TRUE(queue.isMainThread());
        results.push_back(result.value_or("<absent>"));
    };
    Feedback::uploadScreenshot({ .bytes = "png" }, collect);
    Feedback::send({ .message = "hi" }, collect);
    EXPECT_TRUE(queue.runUntil([&] { return results.size() == 2; }));
    std::sort(results.begin(), results.end());
    EXPECT_EQ(results, (std::vector<std::string> { "R-0", server->url("/screenshot/s1") }));

    Feedback::setAppKey("");
    Feedback::send({ .message = "off" }, collect);
    EXPECT_TRUE(queue.runUntil([&] { return results.size() == 3; }));
    EXPECT_EQ(results.back(), "<absent>");
}

TEST_F(FeedbackTest, OverHttpsOnlyATrustedCertificateIsAccepted)
{
    ASSERT_TRUE(http::writeLoopbackCertificate(home.path()));
    startSecureServer();
    ASSERT_TRUE(server->running()) << server->failure();
    ASSERT_TRUE(client->origin.starts_with("https://"));

    EXPECT_EQ(Feedback::sendNow({ .message = "hello" }), std::nullopt);
    EXPECT_TRUE(requests().empty());

    http::CurlHttpClientOptions trusting;
    trusting.caFile = home.file("cert.pem");
    client->http = std::make_shared<http::CurlHttpClient>(trusting);
    EXPECT_EQ(Feedback::sendNow({ .message = "hello" }), "R-0");
}

TEST_F(FeedbackTest, StoppingEndsAnExchangeInFlightWithoutAnAnswer)
{
    answer("/report", 200, R"({"code":"late"})", 30);
    bool answered = false;
    Feedback::send({ .message = "hi" }, [&](std::optional<std::string>) { answered = true; });
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (requests().empty() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(10ms);
    ASSERT_EQ(requests().size(), 1u);

    const auto stopping = std::chrono::steady_clock::now();
    client->stopExchanges();
    EXPECT_LT(std::chrono::steady_clock::now() - stopping, 5s) << "the exchange did not wait for the silent service";
    queue.drain();
    EXPECT_FALSE(answered);

    // Later exchanges do not start.
    Feedback::send({ .message = "again" }, [&](std::optional<std::string>) { answered = true; });
    client->queue->waitUntilIdle();
    queue.drain();
    EXPECT_FALSE(answered);
    EXPECT_EQ(requests().size(), 1u);
}

TEST(FeedbackContact, TheFirstUsableAddressWins)
{
    testing::TempHome home;
    const UserDefaults store(home.file("defaults.json"));
    const struct {
        const char* what;
        std::vector<std::pair<std::string, Json>> stored;
        std::string address;
    } cases[] = {
        { "spaces and a line break around it", { { "norvale.account.email", " \t a@b.co \n" } }, "a@b.co" },
        { "a space inside", { { "norvale.account.email", "a b@c.de" }, { "account.email", "next@c.de" } }, "next@c.de" },
        { "no dot", { { "norvale.account.email", "a@localhost" }, { "signedInEmail", "last@c.de" } }, "last@c.de" },
        { "a leading @", { { "norvaleAccountEmail", "@c.de" }, { "account.email", "x@c.de" } }, "x@c.de" },
        { "not a string", { { "norvale.account.email", 42 }, { "norvaleAccountEmail", "y@c.de" } }, "y@c.de" },
        { "in key order", { { "signedInEmail", "late@c.de" }, { "norvaleAccountEmail", "early@c.de" } }, "early@c.de" },
        { "nothing usable", { { "norvale.account.email", "nobody" }, { "other", "z@c.de" } }, "" },
        { "nothing stored", {}, "" },
    };
    for (const auto& c : cases) {
        std::filesystem::remove(store.path());
        for (const auto& [key, value] : c.stored)
            UserDefaults(store.path()).set(key, value);
        EXPECT_EQ(Feedback::resolveContactEmail(store), c.address) << c.what;
    }
    UserDefaults(store.path()).set("other", "z@c.de");
    EXPECT_EQ(Feedback::resolveContactEmail(store, std::vector<std::string> { "other" }), "z@c.de");
}

TEST(FeedbackConfiguration, ComputedValuesComeFromTheBundleOnceAndWritesWin)
{
    testing::TempHome home;
    ManualMainQueue queue;
    Globals built = Globals::build(Paths::fromEnvironment());
    const struct {
        std::string displayName, name, productName;
    } names[] = {
        { "Inkwarden", "CulmoraPhotos", "Inkwarden" },
        { "", "CulmoraPhotos", "CulmoraPhotos" },
        { "", "", "this app" },
    };
    for (const auto& n : names) {
        built.appInfo.displayName = n.displayName;
        built.appInfo.name = n.name;
        built.appInfo.shortVersion = "4.1";
        built.appInfo.build = "";
        ScopedGlobals scoped(built);
        auto client = std::make_shared<Feedback::State>();
        client->defaults = [path = home.file("defaults.json")] { return UserDefaults(path); };
        Feedback::ScopedState installed(client);
        EXPECT_EQ(Feedback::productName(), n.productName);
        EXPECT_EQ(Feedback::appVersionText(), "4.1 ()");
    }

    auto client = std::make_shared<Feedback::State>();
    client->defaults = [path = home.file("defaults.json")] { return UserDefaults(path); };
    Feedback::ScopedState installed(client);
    EXPECT_TRUE(Feedback::snapshotAttachedByDefault());
    EXPECT_EQ(Feedback::appKey(), "");
    EXPECT_EQ(Feedback::contactEmail(), "");
    UserDefaults(home.file("defaults.json")).set("signedInEmail", "later@c.de");
    EXPECT_EQ(Feedback::contactEmail(), "") << "the address is read once per run";
    Feedback::setContactEmail("me@c.de");
    EXPECT_EQ(Feedback::contactEmail(), "me@c.de");
    const auto accent = Feedback::accentColor();
    ASSERT_TRUE(accent);
    EXPECT_EQ(std::lround(accent->red * 255), 200);
    EXPECT_EQ(std::lround(accent->green * 255), 168);
    EXPECT_EQ(std::lround(accent->blue * 255), 114);
}

TEST(FeedbackSetup, TheLaunchStepConfiguresTheClientForThisApplication)
{
    EXPECT_EQ(feedbackAppKey("com.norvale.inkwarden"), "inkwarden");
    EXPECT_EQ(feedbackAppKey("com.norvale.culmoraphotos"), "culmora-photos");
    EXPECT_EQ(feedbackAppKey("com.norvale.Inkwarden"), "");
    EXPECT_EQ(feedbackAppKey(""), "");

    testing::TempHome home;
    ManualMainQueue queue;
    Globals built = Globals::build(Paths::fromEnvironment());
    built.brand.name = "Quillhouse";
    const struct {
        std::optional<std::string> paletteAccent;
        long red;
    } accents[] = {
        { "#102030", 0x10 },
        { "#FFF", 200 },
        { std::nullopt, 200 },
    };
    for (const auto& a : accents) {
        built.brand.paletteAccent = a.paletteAccent;
        ScopedGlobals scoped(built);
        auto client = std::make_shared<Feedback::State>();
        Feedback::ScopedState installed(client);
        setupFeedback(built);
        EXPECT_EQ(Feedback::appKey(), "inkwarden");
        EXPECT_EQ(Feedback::ingestKey(), kFeedbackIngestKey);
        EXPECT_FALSE(Feedback::snapshotAttachedByDefault());
        EXPECT_EQ(Feedback::productName(), "Quillhouse");
        ASSERT_TRUE(Feedback::accentColor());
        EXPECT_EQ(std::lround(Feedback::accentColor()->red * 255), a.red) << a.paletteAccent.value_or("none");
    }
}

TEST_F(FeedbackTest, AnApplicationOutsideTheTableSendsNothing)
{
    Globals built = Globals::build(Paths::fromEnvironment());
    built.appInfo.identifier = "org.example.viewer";
    answer("/screenshot", 200, R"({"id":"abc"})");
    setupFeedback(built);
    EXPECT_EQ(Feedback::appKey(), "");
    EXPECT_EQ(Feedback::sendNow({ .message = "hello" }), std::nullopt);
    EXPECT_EQ(Feedback::uploadScreenshotNow({ .bytes = "png" }), std::nullopt);
    EXPECT_TRUE(requests().empty());
}

}
}
