#include "services/OakrunePairing.h"

#include "app/Globals.h"
#include "services/OakruneMetaStore.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace ikw::services {
namespace {

using Connection = OakrunePairing::Connection;
using testing::TempHome;
using testing::folderEntries;
using testing::readTestFile;
using testing::writeTestFile;

// An environment over fixed halves that records what the client does with it.
struct StoredHalves {
    std::optional<std::string> token;
    std::optional<Json> meta;
    std::optional<std::string> cacheDirectory;
    std::vector<std::string> calls;

    OakrunePairing pairing()
    {
        OakrunePairing::Env env;
        env.baseURL = "https://library.example.test";
        env.send = [this](const OakruneRequest& request) -> OakruneResult<OakruneResponse> {
            calls.push_back("send " + request.method + " " + request.path);
            return OakruneResponse { 500, {} };
        };
        env.readToken = [this] { return token; };
        env.writeToken = [this](const std::string& value) { token = value; return true; };
        env.deleteToken = [this] { calls.push_back("deleteToken"); token.reset(); };
        env.readMeta = [this] { return meta; };
        env.writeMeta = [this](const Json& object) { meta = object; };
        env.deleteMeta = [this] { calls.push_back("deleteMeta"); meta.reset(); };
        env.cacheDirectory = cacheDirectory;
        return OakrunePairing(std::move(env));
    }
};

// Sets an environment variable for the scope.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const std::string& value) : m_name(name) { ::setenv(name, value.c_str(), 1); }
    ~ScopedVariable() { ::unsetenv(m_name); }
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    const char* m_name;
};

TEST(OakrunePairingTest, TheConnectionNeedsBothHalvesAndReadsTheMetadataLeniently)
{
    struct Case {
        const char* name;
        std::optional<std::string> token;
        std::optional<Json> meta;
        std::optional<Connection> expected;
    };
    const Json full = {
        { "pairing_id", "p-7" },
        { "device_name", "Desk" },
        { "scopes", { "library:read", "library:write" } },
        { "paired_at", "2025-03-05T14:07:09Z" },
        { "last_synced", "2025-03-06T08:00:00Z" },
    };
    const Connection defaults { "", "This computer", {}, "", std::nullopt };
    const Case cases[] = {
        { "token without metadata", "tok", std::nullopt, std::nullopt },
        { "metadata without token", std::nullopt, full, std::nullopt },
        { "metadata that is no object", "tok", Json::array({ full }), std::nullopt },
        { "empty object", "tok", Json::object(), defaults },
        { "every key", "tok", full,
            Connection { "p-7", "Desk", { "library:read", "library:write" }, "2025-03-05T14:07:09Z", "2025-03-06T08:00:00Z" } },
        { "keys of other types", "tok",
            Json { { "pairing_id", 7 }, { "device_name", nullptr }, { "scopes", "library:write" }, { "paired_at", false },
                { "last_synced", 3 } },
            defaults },
        { "scopes not all text", "tok", Json { { "scopes", { "library:write", 2 } } }, defaults },
    };
    for (const Case& test : cases) {
        StoredHalves halves { test.token, test.meta, std::nullopt, {} };
        const OakrunePairing pairing = halves.pairing();
        EXPECT_EQ(pairing.connection(), test.expected) << test.name;
        EXPECT_EQ(pairing.isConnected(), test.expected.has_value()) << test.name;
    }
}

TEST(OakrunePairingTest, OnlyTheWriteScopeAllowsArchiving)
{
    const auto canArchive = [](std::vector<std::string> scopes) {
        return Connection { "", "", std::move(scopes), "", std::nullopt }.canArchive();
    };
    EXPECT_FALSE(canArchive({}));
    EXPECT_FALSE(canArchive({ "library:read", "library:writer" }));
    EXPECT_TRUE(canArchive({ "library:read", "library:write" }));
}

TEST(OakrunePairingTest, DisconnectDropsTokenThenMetadataThenDownloadsAndSendsNothing)
{
    TempHome home;
    const std::string downloads = home.file("downloads");
    writeTestFile(downloads + "/oakrune-3.pdf", "%PDF");
    StoredHalves halves { "tok", Json { { "pairing_id", "p" } }, downloads, {} };
    const OakrunePairing pairing = halves.pairing();

    pairing.disconnect();

    EXPECT_EQ(halves.calls, (std::vector<std::string> { "deleteToken", "deleteMeta" }));
    EXPECT_FALSE(pairing.isConnected());
    EXPECT_TRUE(folderEntries(downloads).empty());
}

TEST(OakrunePairingTest, ClearingDownloadsTakesOnlyTheClientsOwnFilesAtTheTop)
{
    TempHome home;
    const std::string downloads = home.file("downloads");
    for (const char* name : { "oakrune-12.pdf", "notes.pdf", "oakrune-12.txt", "sub/oakrune-1.pdf" })
        writeTestFile(downloads + "/" + name, "x");
    // A folder with a download's name is no download.
    writeTestFile(downloads + "/oakrune-9.pdf/inside", "x");

    StoredHalves halves { "tok", std::nullopt, downloads, {} };
    EXPECT_EQ(halves.pairing().clearCache(), 1);
    EXPECT_EQ(folderEntries(downloads), (std::vector<std::string> { "notes.pdf", "oakrune-12.txt", "oakrune-9.pdf", "sub" }));
    EXPECT_EQ(folderEntries(downloads + "/sub"), (std::vector<std::string> { "oakrune-1.pdf" }));

    StoredHalves missing { "tok", std::nullopt, home.file("nowhere"), {} };
    EXPECT_EQ(missing.pairing().clearCache(), 0);
    StoredHalves none { "tok", std::nullopt, std::nullopt, {} };
    EXPECT_EQ(none.pairing().clearCache(), 0);
}

TEST(OakrunePairingTest, TheLiveEnvironmentTakesItsOriginFromTheVariableAndKeepsDownloadsInTheReviewsFolder)
{
    TempHome home;
    const ScopedGlobals installed(Globals::build(Paths::fromEnvironment()));
    ::unsetenv("IKW_OAKRUNE_BASE");
    const OakrunePairing::Env fallback = OakrunePairing::Env::live("https://default.example.test");
    EXPECT_EQ(fallback.baseURL, "https://default.example.test");
    EXPECT_EQ(fallback.cacheDirectory, installed.get().archive + "/.oakrune");
    EXPECT_EQ(OakrunePairing::Env::live().baseURL, OakrunePairing::defaultBase);

    const ScopedVariable variable("IKW_OAKRUNE_BASE", "http://127.0.0.1:9");
    EXPECT_EQ(OakrunePairing::Env::live("https://default.example.test").baseURL, "http://127.0.0.1:9");
}

TEST(OakruneMetaStoreTest, LivesInTheDataFolderUnlessTheVariableNamesAFile)
{
    TempHome home;
    ::unsetenv("IKW_OAKRUNE_META");
    EXPECT_EQ(OakruneMetaStore::path(), home.file(".local/share/Inkwarden/oakrune.json"));

    const std::string chosen = home.file("elsewhere/deeper/meta.json");
    const ScopedVariable variable("IKW_OAKRUNE_META", chosen);
    OakruneMetaStore::write(Json { { "scopes", { "library:read" } }, { "device_name", "Desk" }, { "pairing_id", "p" } });

    const std::string text = readTestFile(chosen);
    EXPECT_LT(text.find("\"device_name\""), text.find("\"pairing_id\""));
    EXPECT_LT(text.find("\"pairing_id\""), text.find("\"scopes\""));
    EXPECT_EQ(OakruneMetaStore::read(), (Json { { "scopes", { "library:read" } }, { "device_name", "Desk" }, { "pairing_id", "p" } }));
    EXPECT_TRUE(folderEntries(home.file(".local/share")).empty());

    OakruneMetaStore::remove();
    EXPECT_TRUE(folderEntries(home.file("elsewhere/deeper")).empty());
    EXPECT_EQ(OakruneMetaStore::read(), std::nullopt);
    OakruneMetaStore::remove();
}

TEST(OakruneMetaStoreTest, AnythingButAnObjectReadsAsNoMetadata)
{
    TempHome home;
    const std::string file = home.file("meta.json");
    const ScopedVariable variable("IKW_OAKRUNE_META", file);
    for (const char* text : { "[{\"pairing_id\":\"p\"}]", "{\"pairing_id\":", "\"text\"", "" }) {
        writeTestFile(file, text);
        EXPECT_EQ(OakruneMetaStore::read(), std::nullopt) << text;
    }
}

}
}
