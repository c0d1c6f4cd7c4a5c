#pragma once

#include "platform/core/Json.h"
#include "services/OakruneFailure.h"
#include "services/OakruneHttp.h"
#include "services/OakruneKeychain.h"

#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ikw::services {

// The client of the contract library (Oakrune) the product can be paired with. A pairing is two
// halves kept on this machine: the bearer token (in the keyring) and a little metadata (in a file);
// it counts only while both are there. A value is made afresh for each use with the live
// environment; tests hand it an environment of their own.
//
// `connection`, `isConnected` and `disconnect` are quick enough for the main thread; everything
// else blocks on the keyring, files or the network, and runs on a background queue.
class OakrunePairing {
public:
    // The service's origin; a deployment points the client elsewhere with IKW_OAKRUNE_BASE.
    static constexpr std::string_view defaultBase = "https://api.oakrune.app";

    // Everything the client touches outside itself, each part replaceable.
    struct Env {
        using Send = std::function<OakruneResult<OakruneResponse>(const OakruneRequest& request)>;

        // The origin in force when the environment was built.
        std::string baseURL;
        // One HTTP exchange with the service; a failure (always `offline`) when no answer arrived.
        Send send;
        std::function<std::optional<std::string>()> readToken;
        // True when a store accepted the token.
        std::function<bool(const std::string& token)> writeToken;
        std::function<void()> deleteToken;
        // The metadata object, or nothing.
        std::function<std::optional<Json>()> readMeta;
        std::function<void(const Json& object)> writeMeta;
        std::function<void()> deleteMeta;
        // Where downloaded agreement files go; nothing turns clearing them off.
        std::optional<std::string> cacheDirectory;

        // The machine's keyring, metadata file and download folder. The origin is
        // IKW_OAKRUNE_BASE when set, else `base`; `send` reads the variable again on every call.
        static Env live(std::string base = std::string(defaultBase), OakruneHttpOptions http = {});
    };

    // The stored pairing as read back from its two halves (the token itself is not kept).
    struct Connection {
        std::string pairingId;
        std::string deviceName;
        std::vector<std::string> scopes;
        std::string pairedAt;
        std::optional<std::string> lastSynced;

        bool canArchive() const;
        bool operator==(const Connection&) const = default;
    };

    static constexpr std::string_view keychainService = OakruneKeychain::service;
    static constexpr std::string_view keychainAccount = OakruneKeychain::account;
    static constexpr std::string_view defaultDeviceName = "This computer";
    // The hidden ".oakrune" folder in the reviews folder, worked out on first use.
    static const std::string& defaultCacheDirectory();

    explicit OakrunePairing(Env env = Env::live());

    const Env& env() const { return m_env; }

    // Nothing unless both the token and the metadata object are stored.
    std::optional<Connection> connection() const;
    bool isConnected() const { return connection().has_value(); }
    // Drops the token, then the metadata, then the downloaded files; tells the service nothing.
    void disconnect() const;
    // Removes the downloaded agreement files ("oakrune-*.pdf" directly in the download folder)
    // and answers how many went.
    int clearCache() const;

    // The time as the client stores it: UTC, "2025-03-05T14:07:09Z".
    static std::string stamp(std::time_t now = std::time(nullptr));
    // A stored stamp in words relative to `now`: "just now", "12 minutes ago", "at 3:05pm",
    // "on Mar 5 at 3:05pm" (local time, English whatever the user's language). "" for nothing or
    // for anything that is not exactly a stamp.
    static std::string humanStamp(const std::optional<std::string>& stamp, std::time_t now = std::time(nullptr));

    // One agreement that needs attention, as the service lists it.
    struct ActionItem {
        std::string id;
        std::string itemId;
        std::string title;
        std::string rule;
        std::string message;
        std::string dueDate;
        std::string severity;

        bool operator==(const ActionItem&) const = default;
    };

    // Pairs this machine with the one-time code shown by the service and stores the connection.
    OakruneResult<Connection> claim(const std::string& code, const std::string& deviceName) const;
    // The agreements that need attention, in the service's order.
    OakruneResult<std::vector<ActionItem>> actionItems() const;
    // Saves one agreement's file into `to` (else the download folder) and answers its path.
    OakruneResult<std::string> downloadFile(const std::string& id, const std::optional<std::string>& to = std::nullopt) const;
    // Sends the PDF at `path` into the library under `title`.
    OakruneDone archive(const std::string& title, const std::string& path, bool isTest = false) const;
    // The connection for the settings and agreements panels: {"connected": false}, or its device
    // name, scopes, archive permission and last sync in words.
    Json statusJSONObject() const;

    // The connection a metadata object describes.
    static Connection connectionFrom(const Json& meta);

private:
    OakruneResult<OakruneResponse> send(OakruneRequest request) const;
    OakruneFailure revoke() const;
    void recordSync() const;

    Env m_env;
};

}
