// The live client against a loopback stand-in of the contract-library service.

#include "services/OakrunePairing.h"

#include "app/Globals.h"
#include "platform/core/Paths.h"
#include "platform/http/fake/LoopbackHttpServer.h"
#include "platform/secrets/fake/FakeSecretStore.h"
#include "tests/support/TempHome.h"
#include "tests/support/WaitFor.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <sstream>

namespace ikw::services {
namespace {

using namespace std::chrono_literals;
using testing::TempHome;
using testing::folderEntries;
using testing::readTestFile;
using testing::writeTestFile;

class OakruneServiceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        script(Json::object());
        writeTestFile(logPath(), "");
        startServer({});
        ::setenv("IKW_OAKRUNE_META", home.file("meta/oakrune.json").c_str(), 1);
    }

    void TearDown() override
    {
        ::unsetenv("IKW_OAKRUNE_BASE");
        ::unsetenv("IKW_OAKRUNE_META");
    }

    void startServer(http::LoopbackServerOptions options)
    {
        options.script = IKW_OAKRUNE_SERVICE_SCRIPT;
        options.arguments = { home.file("answers.json"), logPath() };
        server.emplace(options);
        ASSERT_TRUE(server->running()) << server->failure();
        ::setenv("IKW_OAKRUNE_BASE", server->url().c_str(), 1);
    }

    // The live environment, with the token in fake stores instead of the desktop's keyring.
    OakrunePairing pairing(OakruneHttpOptions http = {})
    {
        OakrunePairing::Env env = OakrunePairing::Env::live(std::string(OakrunePairing::defaultBase), std::move(http));
        auto keychain = std::make_shared<const OakruneKeychain>(std::make_shared<secrets::SecretStoreChain>(
            std::vector<std::shared_ptr<secrets::SecretStore>> { keyring, secretsFile }));
        env.readToken = [keychain] { return keychain->read(); };
        env.writeToken = [keychain](const std::string& token) { return keychain->write(token); };
        env.deleteToken = [keychain] { keychain->remove(); };
        env.cacheDirectory = home.file("downloads");
        return OakrunePairing(std::move(env));
    }

    void script(const Json& answers) { writeTestFile(home.file("answers.json"), toPlainJson(answers)); }
    std::string logPath() const { return home.file("requests.log"); }

    std::vector<Json> logged() const
    {
        std::vector<Json> entries;
        std::istringstream lines(readTestFile(logPath()));
        for (std::string line; std::getline(lines, line);)
            entries.push_back(Json::parse(line));
        return entries;
    }

    TempHome home;
    ScopedGlobals installed { Globals::build(Paths::fromEnvironment()) };
    std::shared_ptr<secrets::FakeSecretStore> keyring = std::make_shared<secrets::FakeSecretStore>("keyring");
    std::shared_ptr<secrets::FakeSecretStore> secretsFile = std::make_shared<secrets::FakeSecretStore>("file");
    std::optional<http::LoopbackHttpServer> server;
};

TEST_F(OakruneServiceTest, ClaimListDownloadAndArchiveRoundTrip)
{
    script({ { "token", "srv-tok" },
        { "answers", {
                         { "POST /api/pair/claim", { { "status", 201 }, { "body", { { "token", "srv-tok" }, { "pairing_id", "p1" }, { "scopes", { "library:read", "library:write" } } } } } },
                         { "GET /api/library/actions", { { "body", { { "actions", { { { "id", "a 1" }, { "title", "Lease" } } } } } } } },
                         { "GET /api/library/a%201/file", { { "body", "%PDF-1.7 lease" } } },
                         { "POST /api/library/import", { { "status", 201 }, { "body", "{}" } } },
                     } } });
    const OakrunePairing client = pairing();

    const auto connection = client.claim("ab-12", "Desk");
    ASSERT_TRUE(connection) << connection.failure().message();
    EXPECT_TRUE(connection->canArchive());
    const auto items = client.actionItems();
    ASSERT_TRUE(items) << items.failure().message();
    ASSERT_EQ(items->size(), 1u);
    const auto saved = client.downloadFile(items->at(0).id);
    ASSERT_TRUE(saved) << saved.failure().message();
    EXPECT_EQ(readTestFile(*saved), "%PDF-1.7 lease");
    const auto archived = client.archive("Lease/2025", writeTestFile(home.file("lease.pdf"), "%PDF"));
    ASSERT_TRUE(archived) << archived.failure().message();
    EXPECT_EQ(client.statusJSONObject()["last_synced"], "just now");

    const std::vector<Json> requests = logged();
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_EQ(requests[0]["body"], R"({"code":"AB12","device_name":"Desk"})");
    EXPECT_EQ(requests[0]["headers"]["Content-Type"], "application/json");
    EXPECT_FALSE(requests[0]["headers"].contains("Authorization"));
    for (std::size_t i = 1; i < 4; ++i)
        EXPECT_EQ(requests[i]["headers"]["Authorization"], "Bearer srv-tok") << requests[i]["path"];
    EXPECT_EQ(requests[3]["body"], R"({"pdf_base64":"JVBERg==","source":"inkwarden","title":"Lease/2025"})");

    // The service forgets the token: the next request ends the connection here too.
    script({ { "token", "another" } });
    const auto revoked = client.actionItems();
    ASSERT_FALSE(revoked);
    EXPECT_EQ(revoked.failure(), OakruneFailure::revoked());
    EXPECT_FALSE(client.isConnected());
    EXPECT_TRUE(folderEntries(home.file("downloads")).empty());
}

TEST_F(OakruneServiceTest, AStalledServerTimesOutAndIsHungUpOn)
{
    keyring->save({ "com.norvale.inkwarden.oakrune", "oakrune-pairing-token" }, "tok");
    script({ { "token", "tok" }, { "answers", { { "GET /api/library/actions", { { "stall", 20 }, { "body", "[]" } } } } } });

    const auto started = std::chrono::steady_clock::now();
    const auto listed = pairing({ .idleTimeout = 5s, .totalTimeout = 700ms }).actionItems();

    ASSERT_FALSE(listed);
    EXPECT_EQ(listed.failure().message(), "Couldn\u2019t reach Oakrune: timed out");
    EXPECT_LT(std::chrono::steady_clock::now() - started, 5s);
    EXPECT_TRUE(testing::waitFor([&] { return readTestFile(logPath()).find("\"closed\"") != std::string::npos; }, 5));
}

TEST_F(OakruneServiceTest, OversizeRepliesStopWithTheSizeText)
{
    keyring->save({ "com.norvale.inkwarden.oakrune", "oakrune-pairing-token" }, "tok");
    script({ { "token", "tok" },
        { "answers", {
                         { "GET /api/library/actions", { { "bytes", (16 << 20) + 1 } } },
                         { "GET /api/library/big/file", { { "bytes", (512ll << 20) + 1 } } },
                     } } });
    const OakrunePairing client = pairing();

    EXPECT_EQ(client.actionItems().failure().message(), "Couldn\u2019t reach Oakrune: the reply is larger than 16 MB");
    EXPECT_EQ(client.downloadFile("big").failure().message(), "Couldn\u2019t reach Oakrune: the reply is larger than 512 MB");
    EXPECT_TRUE(folderEntries(home.file("downloads")).empty());
}

TEST_F(OakruneServiceTest, OnlyHttpsOrThisMachineIsSpokenTo)
{
    keyring->save({ "com.norvale.inkwarden.oakrune", "oakrune-pairing-token" }, "tok");
    const std::pair<std::string, std::string> cases[] {
        { "http://library.example.test", "Couldn\u2019t reach Oakrune: the service address must use https" },
        { "http://127.0.0.1.example.test", "Couldn\u2019t reach Oakrune: the service address must use https" },
        { "ftp://127.0.0.1", "Couldn\u2019t reach Oakrune: the service address must use https" },
        { "not a url", "Couldn\u2019t reach Oakrune: bad URL" },
    };
    for (const auto& [base, text] : cases) {
        ::setenv("IKW_OAKRUNE_BASE", base.c_str(), 1);
        EXPECT_EQ(pairing().actionItems().failure().message(), text) << base;
        EXPECT_EQ(pairing().claim("ab", "Desk").failure().message(), text) << base;
    }
    EXPECT_TRUE(logged().empty());
}

TEST_F(OakruneServiceTest, HttpsNeedsATrustedCertificate)
{
    if (!http::writeLoopbackCertificate(home.path()))
        GTEST_SKIP() << "openssl cannot make a test certificate";
    startServer({ .certificateFile = home.file("cert.pem"), .keyFile = home.file("key.pem") });
    script({ { "answers", { { "POST /api/pair/claim", { { "body", { { "token", "t" } } } } } } } });

    const auto untrusted = pairing().claim("ab", "Desk");
    ASSERT_FALSE(untrusted);
    EXPECT_TRUE(std::holds_alternative<OakruneFailure::Offline>(untrusted.failure().reason)) << untrusted.failure().message();
    EXPECT_TRUE(logged().empty());

    OakruneHttpOptions trusting;
    trusting.client.caFile = home.file("cert.pem");
    const auto trusted = pairing(trusting).claim("ab", "Desk");
    EXPECT_TRUE(trusted) << trusted.failure().message();
}

}
}
