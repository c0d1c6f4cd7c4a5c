// The exchanges of OakrunePairing with the contract-library service.

#include "services/OakrunePairing.h"

#include "platform/core/Base64.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Paths.h"
#include "platform/core/TextMetrics.h"

#include <sys/stat.h>

namespace ikw::services {

namespace {

constexpr std::size_t archiveFileLimit = 100u << 20;

// The reply's "error" string, or empty (also for a body that is not JSON).
std::string errorTextOf(const OakruneResponse& response)
{
    const std::optional<Json> reply = parseJson(response.body);
    if (!reply || !reply->is_object())
        return {};
    const auto error = reply->find("error");
    return error != reply->end() && error->is_string() ? error->get<std::string>() : std::string();
}

OakruneFailure serverFailure(const OakruneResponse& response)
{
    return OakruneFailure::server(response.status, errorTextOf(response));
}

std::string stringOr(const Json& object, const char* key, std::string fallback)
{
    const auto found = object.find(key);
    return found != object.end() && found->is_string() ? found->get<std::string>() : std::move(fallback);
}

// Any present value in its text form, so that the number 42 reads "42".
std::string textOf(const Json& object, const char* key)
{
    const auto found = object.find(key);
    if (found == object.end() || found->is_null())
        return {};
    return found->is_string() ? found->get<std::string>() : toPlainJson(*found);
}

bool isArrayOfObjects(const Json& value)
{
    if (!value.is_array())
        return false;
    for (const Json& item : value) {
        if (!item.is_object())
            return false;
    }
    return true;
}

std::vector<OakrunePairing::ActionItem> itemsFrom(const std::string& body)
{
    const std::optional<Json> reply = parseJson(body);
    const Json* list = nullptr;
    if (reply && isArrayOfObjects(*reply))
        list = &*reply;
    else if (reply && reply->is_object() && reply->contains("actions") && isArrayOfObjects((*reply)["actions"]))
        list = &(*reply)["actions"];
    std::vector<OakrunePairing::ActionItem> items;
    if (!list)
        return items;
    for (const Json& item : *list) {
        items.push_back({
            .id = textOf(item, "id"),
            .itemId = textOf(item, "item_id"),
            .title = stringOr(item, "title", "Untitled agreement"),
            .rule = stringOr(item, "rule", ""),
            .message = stringOr(item, "message", ""),
            .dueDate = stringOr(item, "due_date", ""),
            .severity = stringOr(item, "severity", "watch"),
        });
    }
    return items;
}

// The scopes of a claim reply: its array of strings, else read access only.
Json scopesFrom(const Json& reply)
{
    const auto scopes = reply.find("scopes");
    if (scopes != reply.end() && scopes->is_array()) {
        bool allStrings = true;
        for (const Json& scope : *scopes)
            allStrings = allStrings && scope.is_string();
        if (allStrings)
            return *scopes;
    }
    return Json::array({ "library:read" });
}

// The whole file, refused before reading when it is too large to send.
OakruneResult<std::string> readArchiveFile(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && static_cast<std::size_t>(info.st_size) > archiveFileLimit)
        return OakruneFailure::offline("could not read " + path + ": larger than 100 MB");
    std::optional<std::string> bytes = realFileSystem().readFile(path);
    if (!bytes)
        return OakruneFailure::offline("could not read " + path);
    return std::move(*bytes);
}

}

OakruneResult<OakruneResponse> OakrunePairing::send(OakruneRequest request) const
{
    return m_env.send(request);
}

OakruneFailure OakrunePairing::revoke() const
{
    m_env.deleteToken();
    m_env.deleteMeta();
    clearCache();
    return OakruneFailure::revoked();
}

void OakrunePairing::recordSync() const
{
    std::optional<Json> meta = m_env.readMeta();
    if (!meta || !meta->is_object())
        return;
    (*meta)["last_synced"] = stamp();
    m_env.writeMeta(*meta);
}

OakruneResult<OakrunePairing::Connection> OakrunePairing::claim(const std::string& code, const std::string& deviceName) const
{
    const std::string normalized = lettersAndNumbers(toUpperFull(code));
    if (normalized.empty())
        return OakruneFailure::claimRejected();
    std::string device(trimWhitespaceAndNewlines(deviceName));
    if (device.empty())
        device = defaultDeviceName;

    const auto answer = send({ .method = "POST", .path = "/api/pair/claim", .bearer = std::nullopt,
        .body = Json { { "code", normalized }, { "device_name", device } } });
    if (!answer)
        return answer.failure();
    const OakruneResponse& response = *answer;
    if (response.status == 400)
        return OakruneFailure::claimRejected();
    if (response.status != 200 && response.status != 201)
        return serverFailure(response);

    std::optional<Json> reply = parseJson(response.body);
    if (!reply || !reply->is_object())
        reply = Json::object();
    const std::string token = stringOr(*reply, "token", "");
    if (token.empty())
        return OakruneFailure::server(response.status, "no token in the response");

    if (!m_env.writeToken(token))
        return OakruneFailure::offline("the keyring refused to store the connection token. The code has been used, so generate a fresh one after fixing this.");
    // The name stored is the one sent, so a blank name does not leave the panels with none.
    m_env.writeMeta(Json {
        { "pairing_id", stringOr(*reply, "pairing_id", "") },
        { "device_name", stringOr(*reply, "device_name", device) },
        { "scopes", scopesFrom(*reply) },
        { "paired_at", stamp() },
    });
    if (auto stored = connection())
        return std::move(*stored);
    return OakruneFailure::offline("the connection could not be saved on this computer. The code has been used, so generate a fresh one after fixing this.");
}

OakruneResult<std::vector<OakrunePairing::ActionItem>> OakrunePairing::actionItems() const
{
    const std::optional<std::string> token = m_env.readToken();
    if (!token)
        return OakruneFailure::notConnected();
    const auto answer = send({ .method = "GET", .path = "/api/library/actions", .bearer = token, .body = std::nullopt });
    if (!answer)
        return answer.failure();
    if (answer->status == 401)
        return revoke();
    if (answer->status != 200)
        return serverFailure(*answer);
    recordSync();
    return itemsFrom(answer->body);
}

OakruneResult<std::string> OakrunePairing::downloadFile(const std::string& id, const std::optional<std::string>& to) const
{
    const std::string folder = to ? *to : m_env.cacheDirectory ? *m_env.cacheDirectory : defaultCacheDirectory();
    const std::optional<std::string> token = m_env.readToken();
    if (!token)
        return OakruneFailure::notConnected();
    const auto answer = send({ .method = "GET", .path = "/api/library/" + oakrunePathSegment(id) + "/file", .bearer = token,
        .body = std::nullopt, .maxReplyBytes = OakruneRequest::fileReplyLimit });
    if (!answer)
        return answer.failure();
    if (answer->status == 401)
        return revoke();
    if (answer->status != 200 || answer->body.empty())
        return serverFailure(*answer);

    FileSystem& files = realFileSystem();
    files.createDirectories(folder);
    const std::string path = joinPath(folder, "oakrune-" + lettersAndNumbers(id, "-_") + ".pdf");
    if (const IoStatus written = files.replaceFile(path, answer->body); !written)
        return OakruneFailure::offline("could not save " + path + ": " + written.message());
    recordSync();
    return path;
}

OakruneDone OakrunePairing::archive(const std::string& title, const std::string& path, bool isTest) const
{
    const std::optional<Connection> connected = connection();
    if (!connected)
        return OakruneFailure::notConnected();
    if (!connected->canArchive())
        return OakruneFailure::scopeMissing("archive documents");
    const auto bytes = readArchiveFile(path);
    if (!bytes)
        return bytes.failure();
    Json body { { "title", title }, { "source", "inkwarden" }, { "pdf_base64", encodeBase64(*bytes) } };
    if (isTest)
        body["is_test"] = true;

    const std::optional<std::string> token = m_env.readToken();
    if (!token)
        return OakruneFailure::notConnected();
    const auto answer = send({ .method = "POST", .path = "/api/library/import", .bearer = token, .body = std::move(body) });
    if (!answer)
        return answer.failure();
    if (answer->status == 401)
        return revoke();
    if (answer->status < 200 || answer->status > 299)
        return serverFailure(*answer);
    recordSync();
    return std::monostate {};
}

Json OakrunePairing::statusJSONObject() const
{
    const std::optional<Connection> connected = connection();
    if (!connected)
        return Json { { "connected", false } };
    return Json {
        { "connected", true },
        { "device_name", connected->deviceName },
        { "scopes", connected->scopes },
        { "can_archive", connected->canArchive() },
        { "last_synced", humanStamp(connected->lastSynced) },
    };
}

}
