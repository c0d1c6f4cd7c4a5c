#include "services/OakrunePairing.h"

#include "platform/core/Base64.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <deque>

namespace ikw::services {
namespace {

using Failure = OakruneFailure;
using testing::TempHome;
using testing::folderEntries;
using testing::readTestFile;
using testing::writeTestFile;

OakruneResponse reply(int status, std::string body = {})
{
    return { status, std::move(body) };
}

// The two stored halves and a service that answers from a script and records each request.
struct ScriptedService {
    std::optional<std::string> token {};
    std::optional<Json> meta {};
    std::string downloads {};
    std::deque<OakruneResult<OakruneResponse>> answers {};
    std::vector<OakruneRequest> requests {};
    bool keyringAccepts = true;
    bool metaFileWritable = true;

    OakrunePairing pairing()
    {
        OakrunePairing::Env env;
        env.baseURL = "https://library.example.test";
        env.send = [this](const OakruneRequest& request) -> OakruneResult<OakruneResponse> {
            requests.push_back(request);
            if (answers.empty())
                return Failure::offline("no answer scripted");
            auto next = answers.front();
            answers.pop_front();
            return next;
        };
        env.readToken = [this] { return token; };
        env.writeToken = [this](const std::string& value) {
            if (keyringAccepts)
                token = value;
            return keyringAccepts;
        };
        env.deleteToken = [this] { token.reset(); };
        env.readMeta = [this] { return meta; };
        env.writeMeta = [this](const Json& object) {
            if (metaFileWritable)
                meta = object;
        };
        env.deleteMeta = [this] { meta.reset(); };
        env.cacheDirectory = downloads;
        return OakrunePairing(std::move(env));
    }
};

Json connectedMeta(std::vector<std::string> scopes = { "library:read", "library:write" })
{
    return Json { { "pairing_id", "p1" }, { "device_name", "Desk" }, { "scopes", scopes }, { "paired_at", "2025-03-05T14:07:09Z" } };
}

TEST(OakruneFailureTest, EveryCaseHasItsOwnText)
{
    const std::pair<Failure, std::string> cases[] {
        { Failure::scopeMissing("archive documents"), "This connection doesn\u2019t have permission to archive documents. Reconnect with that permission from Oakrune." },
        { Failure::offline("timed out"), "Couldn\u2019t reach Oakrune: timed out" },
        { Failure::server(500, "maintenance"), "Oakrune returned 500. maintenance" },
        { Failure::server(502, ""), "Oakrune returned 502." },
        { Failure::notConnected(), "Inkwarden is not connected to a Oakrune account yet." },
        { Failure::claimRejected(), "That code didn\u2019t work. Codes last 10 minutes and can be used once \u2014 generate a fresh one in Oakrune and try again." },
        { Failure::revoked(), "This connection has ended. Reconnect from Oakrune to see your agreements again." },
    };
    for (const auto& [failure, text] : cases)
        EXPECT_EQ(failure.message(), text);
}

TEST(OakruneClaimTest, NormalizesTheCodeAndStoresTheConnection)
{
    struct Case {
        std::string code;
        std::string device;
        std::string sentCode;
        std::string sentDevice;
        std::string replyBody;
        Json storedScopes;
        std::string storedDevice;
    };
    const Case cases[] {
        { " ab-12 cd ", " Laptop\n", "AB12CD", "Laptop", R"({"token":"t1","pairing_id":"p9"})", { "library:read" }, "Laptop" },
        { "stra\u00dfe\u2014\u0661", "Laptop", "STRASSE\u0661", "Laptop", R"({"token":"t1","scopes":["library:read","library:write"],"device_name":"Named"})",
            { "library:read", "library:write" }, "Named" },
        // A blank name is sent and stored as the fallback; scopes that are not all strings read as read access.
        { "x1", " \t\n", "X1", "This computer", R"({"token":"t1","scopes":["library:write",3]})", { "library:read" }, "This computer" },
    };
    for (const Case& test : cases) {
        ScriptedService service;
        service.answers.push_back(reply(201, test.replyBody));

        const auto connection = service.pairing().claim(test.code, test.device);

        ASSERT_TRUE(connection) << test.code << ": " << connection.failure().message();
        ASSERT_EQ(service.requests.size(), 1u);
        const OakruneRequest& sent = service.requests[0];
        EXPECT_EQ(sent.method, "POST");
        EXPECT_EQ(sent.path, "/api/pair/claim");
        EXPECT_FALSE(sent.bearer);
        EXPECT_EQ(sent.body, (Json { { "code", test.sentCode }, { "device_name", test.sentDevice } }));
        EXPECT_EQ(service.token, "t1");
        ASSERT_TRUE(service.meta);
        EXPECT_EQ((*service.meta)["scopes"], test.storedScopes);
        EXPECT_EQ((*service.meta)["device_name"], test.storedDevice);
        EXPECT_FALSE(service.meta->contains("last_synced"));
        EXPECT_EQ(connection->deviceName, test.storedDevice);
    }
}

TEST(OakruneClaimTest, RefusesWithoutStoringAnything)
{
    struct Case {
        std::string code;
        std::optional<OakruneResult<OakruneResponse>> answer; // nothing: no request may go out
        Failure failure;
    };
    const Case cases[] {
        { "", std::nullopt, Failure::claimRejected() },
        { " -- ", std::nullopt, Failure::claimRejected() },
        { "ok", reply(400, R"({"error":"used"})"), Failure::claimRejected() },
        { "ok", reply(200, R"({"pairing_id":"p"})"), Failure::server(200, "no token in the response") },
        { "ok", reply(201, R"({"token":""})"), Failure::server(201, "no token in the response") },
        { "ok", reply(200, "[\"t\"]"), Failure::server(200, "no token in the response") },
        // A 401 here is an ordinary failure: nothing was paired yet.
        { "ok", reply(401, R"({"error":"who"})"), Failure::server(401, "who") },
        { "ok", reply(503, "<html>down</html>"), Failure::server(503, "") },
        { "ok", OakruneResult<OakruneResponse>(Failure::offline("timed out")), Failure::offline("timed out") },
    };
    for (const Case& test : cases) {
        ScriptedService service { .token = "old", .meta = connectedMeta() };
        if (test.answer)
            service.answers.push_back(*test.answer);

        const auto connection = service.pairing().claim(test.code, "Desk");

        ASSERT_FALSE(connection) << test.code;
        EXPECT_EQ(connection.failure(), test.failure) << connection.failure().message();
        EXPECT_EQ(service.requests.size(), test.answer ? 1u : 0u);
        EXPECT_EQ(service.token, "old");
        EXPECT_EQ(service.meta, connectedMeta());
    }
}

TEST(OakruneClaimTest, ASpentCodeThatCouldNotBeStoredSaysSo)
{
    ScriptedService refused { .keyringAccepts = false };
    refused.answers.push_back(reply(201, R"({"token":"t1"})"));
    const auto noToken = refused.pairing().claim("ab", "Desk");
    ASSERT_FALSE(noToken);
    EXPECT_EQ(noToken.failure().message(), "Couldn\u2019t reach Oakrune: the keyring refused to store the connection token. "
                                           "The code has been used, so generate a fresh one after fixing this.");
    EXPECT_FALSE(refused.meta);

    ScriptedService unsaved { .metaFileWritable = false };
    unsaved.answers.push_back(reply(201, R"({"token":"t1"})"));
    const auto noMeta = unsaved.pairing().claim("ab", "Desk");
    ASSERT_FALSE(noMeta);
    EXPECT_EQ(noMeta.failure().message(), "Couldn\u2019t reach Oakrune: the connection could not be saved on this computer. "
                                          "The code has been used, so generate a fresh one after fixing this.");
}

TEST(OakruneClaimTest, AReadOnlyConnectionCannotArchive)
{
    TempHome home;
    ScriptedService service;
    service.answers.push_back(reply(201, R"({"token":"t1"})"));
    const OakrunePairing pairing = service.pairing();
    ASSERT_TRUE(pairing.claim("ab", "Desk"));

    const auto archived = pairing.archive("Lease", writeTestFile(home.file("lease.pdf"), "%PDF"));

    ASSERT_FALSE(archived);
    EXPECT_EQ(archived.failure().message(), "This connection doesn\u2019t have permission to archive documents. Reconnect with that permission from Oakrune.");
    EXPECT_EQ(service.requests.size(), 1u);
}

// Runs one of the bearer requests and answers its failure, if any.
using Operation = std::function<std::optional<Failure>(const OakrunePairing&, const std::string& folder)>;

const std::pair<const char*, Operation> bearerOperations[] {
    { "list", [](const OakrunePairing& pairing, const std::string&) -> std::optional<Failure> {
         auto result = pairing.actionItems();
         return result ? std::nullopt : std::optional(result.failure());
     } },
    { "download", [](const OakrunePairing& pairing, const std::string&) -> std::optional<Failure> {
         auto result = pairing.downloadFile("7");
         return result ? std::nullopt : std::optional(result.failure());
     } },
    { "archive", [](const OakrunePairing& pairing, const std::string& folder) -> std::optional<Failure> {
         auto result = pairing.archive("Lease", writeTestFile(folder + "/lease.pdf", "%PDF-1.7"));
         return result ? std::nullopt : std::optional(result.failure());
     } },
};

TEST(OakruneBearerRequestsTest, AnswerTheirFailuresAndEndTheConnectionOnA401)
{
    struct Case {
        OakruneResult<OakruneResponse> answer;
        Failure failure;
    };
    const Case cases[] {
        { reply(401, R"({"error":"revoked"})"), Failure::revoked() },
        { reply(500, R"({"error":"maintenance"})"), Failure::server(500, "maintenance") },
        { reply(500, "<html><body>oops</body></html>"), Failure::server(500, "") },
        { reply(404, R"({"error":42})"), Failure::server(404, "") },
        { Failure::offline("no response"), Failure::offline("no response") },
    };
    for (const auto& [name, operation] : bearerOperations) {
        for (const Case& test : cases) {
            TempHome home;
            ScriptedService service { .token = "tok", .meta = connectedMeta(), .downloads = home.file("downloads") };
            writeTestFile(service.downloads + "/oakrune-1.pdf", "%PDF");
            writeTestFile(service.downloads + "/mine.pdf", "%PDF");
            service.answers.push_back(test.answer);

            const std::optional<Failure> failure = operation(service.pairing(), home.path());

            ASSERT_TRUE(failure) << name;
            EXPECT_EQ(*failure, test.failure) << name << ": " << failure->message();
            ASSERT_EQ(service.requests.size(), 1u) << name;
            EXPECT_EQ(service.requests[0].bearer, "tok") << name;
            const bool revoked = test.failure == Failure::revoked();
            EXPECT_EQ(service.token.has_value(), !revoked) << name;
            EXPECT_EQ(service.meta.has_value(), !revoked) << name;
            const std::vector<std::string> left = revoked ? std::vector<std::string> { "mine.pdf" } : std::vector<std::string> { "mine.pdf", "oakrune-1.pdf" };
            EXPECT_EQ(folderEntries(service.downloads), left) << name;
            if (!revoked) {
                EXPECT_FALSE(service.meta->contains("last_synced")) << name;
            }
        }
    }
}

TEST(OakruneBearerRequestsTest, NeedAConnectionAndRecordEachSuccess)
{
    for (const auto& [name, operation] : bearerOperations) {
        TempHome home;
        ScriptedService none { .downloads = home.file("downloads") };
        EXPECT_EQ(operation(none.pairing(), home.path()), Failure::notConnected()) << name;
        EXPECT_TRUE(none.requests.empty()) << name;

        ScriptedService service { .token = "tok", .meta = connectedMeta(), .downloads = home.file("downloads") };
        service.answers.push_back(reply(200, "%PDF-1.7"));
        EXPECT_EQ(operation(service.pairing(), home.path()), std::nullopt) << name;
        ASSERT_TRUE(service.meta) << name;
        EXPECT_TRUE((*service.meta)["last_synced"].is_string()) << name;

        // Without metadata the token alone still lists and downloads, and nothing is recorded.
        ScriptedService tokenOnly { .token = "tok", .downloads = home.file("downloads") };
        tokenOnly.answers.push_back(reply(200, "%PDF-1.7"));
        operation(tokenOnly.pairing(), home.path());
        EXPECT_FALSE(tokenOnly.meta) << name;
    }
}

TEST(OakruneActionItemsTest, ReadsEitherShapeOfTheList)
{
    const char* item = R"({"id":42,"item_id":"it-1","title":"Lease","rule":"renewal","message":"Due soon","due_date":"2025-04-01","severity":"urgent"})";
    const char* sparse = R"({"title":7,"severity":null,"message":["x"]})";
    const std::vector<OakrunePairing::ActionItem> expected {
        { "42", "it-1", "Lease", "renewal", "Due soon", "2025-04-01", "urgent" },
        { "", "", "Untitled agreement", "", "", "", "watch" },
    };
    const std::pair<std::string, std::vector<OakrunePairing::ActionItem>> cases[] {
        { std::string(R"({"actions":[)") + item + "," + sparse + "]}", expected },
        { std::string("[") + item + "," + sparse + "]", expected },
        { R"({"actions":"x"})", {} },
        { R"({"actions":[1,2]})", {} },
        { "[]", {} },
        { "not json", {} },
        { "", {} },
    };
    for (const auto& [body, items] : cases) {
        ScriptedService service { .token = "tok", .meta = connectedMeta() };
        service.answers.push_back(reply(200, body));
        const auto listed = service.pairing().actionItems();
        ASSERT_TRUE(listed) << body;
        EXPECT_EQ(*listed, items) << body;
        EXPECT_EQ(service.requests[0].method, "GET");
        EXPECT_EQ(service.requests[0].path, "/api/library/actions");
        EXPECT_FALSE(service.requests[0].body);
    }
}

TEST(OakruneDownloadTest, KeepsTheIdInItsOwnPathSegmentAndFileName)
{
    const std::tuple<std::string, std::string, std::string> cases[] {
        { "a/../b 7", "/api/library/a%2F..%2Fb%207/file", "oakrune-ab7.pdf" },
        { "doc_1-\u00e9~x", "/api/library/doc_1-%C3%A9~x/file", "oakrune-doc_1-\u00e9x.pdf" },
        { "?x#y", "/api/library/%3Fx%23y/file", "oakrune-xy.pdf" },
        { "..", "/api/library/%2E%2E/file", "oakrune-.pdf" },
        { ".", "/api/library/%2E/file", "oakrune-.pdf" },
    };
    for (const auto& [id, path, name] : cases) {
        TempHome home;
        ScriptedService service { .token = "tok", .meta = connectedMeta(), .downloads = home.file("cache") };
        service.answers.push_back(reply(200, "%PDF-1.7 " + id));

        const auto saved = service.pairing().downloadFile(id, home.file("chosen"));

        ASSERT_TRUE(saved) << id << ": " << saved.failure().message();
        EXPECT_EQ(service.requests[0].path, path);
        EXPECT_EQ(service.requests[0].maxReplyBytes, OakruneRequest::fileReplyLimit);
        EXPECT_EQ(*saved, home.file("chosen/" + name));
        EXPECT_EQ(readTestFile(*saved), "%PDF-1.7 " + id);
    }
}

TEST(OakruneDownloadTest, AnEmptyFileIsAServerFailureAndSavesNothing)
{
    TempHome home;
    ScriptedService service { .token = "tok", .meta = connectedMeta(), .downloads = home.file("cache") };
    service.answers.push_back(reply(200));
    const auto saved = service.pairing().downloadFile("7");
    ASSERT_FALSE(saved);
    EXPECT_EQ(saved.failure().message(), "Oakrune returned 200.");
    EXPECT_TRUE(folderEntries(home.file("cache")).empty());
}

TEST(OakruneArchiveTest, SendsTheFileAsBase64InCompactJson)
{
    TempHome home;
    const std::string pdf = writeTestFile(home.file("a/lease.pdf"), std::string("%PDF-1.7\n\0\xff", 11));
    for (const bool isTest : { false, true }) {
        ScriptedService service { .token = "tok", .meta = connectedMeta() };
        service.answers.push_back(reply(204));

        ASSERT_TRUE(service.pairing().archive("Lease / 2025", pdf, isTest));

        const OakruneRequest& sent = service.requests.at(0);
        EXPECT_EQ(sent.method, "POST");
        EXPECT_EQ(sent.path, "/api/library/import");
        Json expected { { "title", "Lease / 2025" }, { "source", "inkwarden" }, { "pdf_base64", encodeBase64(std::string("%PDF-1.7\n\0\xff", 11)) } };
        if (isTest)
            expected["is_test"] = true;
        EXPECT_EQ(sent.body, expected);
    }
}

TEST(OakruneArchiveTest, RefusesAFileItCannotOrShouldNotRead)
{
    TempHome home;
    const std::string huge = home.file("huge.pdf");
    writeTestFile(huge, "");
    ASSERT_EQ(::truncate(huge.c_str(), (100 << 20) + 1), 0); // sparse: nothing is really written
    const std::pair<std::string, std::string> cases[] {
        { home.file("missing.pdf"), "Couldn\u2019t reach Oakrune: could not read " + home.file("missing.pdf") },
        { home.path(), "Couldn\u2019t reach Oakrune: could not read " + home.path() },
        { huge, "Couldn\u2019t reach Oakrune: could not read " + huge + ": larger than 100 MB" },
    };
    for (const auto& [path, text] : cases) {
        ScriptedService service { .token = "tok", .meta = connectedMeta() };
        const auto archived = service.pairing().archive("x", path);
        ASSERT_FALSE(archived) << path;
        EXPECT_EQ(archived.failure().message(), text);
        EXPECT_TRUE(service.requests.empty());
    }
}

TEST(OakruneStatusTest, DescribesTheConnectionForThePanels)
{
    ScriptedService none;
    EXPECT_EQ(none.pairing().statusJSONObject(), (Json { { "connected", false } }));

    ScriptedService never { .token = "tok", .meta = connectedMeta({ "library:read" }) };
    EXPECT_EQ(never.pairing().statusJSONObject(),
        (Json { { "connected", true }, { "device_name", "Desk" }, { "scopes", { "library:read" } }, { "can_archive", false }, { "last_synced", "" } }));

    Json synced = connectedMeta();
    synced["last_synced"] = OakrunePairing::stamp();
    ScriptedService recent { .token = "tok", .meta = synced };
    const Json status = recent.pairing().statusJSONObject();
    EXPECT_EQ(status["can_archive"], true);
    EXPECT_EQ(status["last_synced"], "just now");
}

}
}
