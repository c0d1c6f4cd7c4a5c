#pragma once

#include "platform/core/Json.h"
#include "services/OakruneKeychain.h"

#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ikw::services {

// One answer of the contract-library service: its HTTP status and body (empty when it sent none).
struct OakruneResponse {
    int status = 0;
    std::string body;
};

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
        using Send = std::function<OakruneResponse(const std::string& method, const std::string& path,
            const std::optional<std::string>& bearer, const std::optional<Json>& body)>;

        // The origin in force when the environment was built.
        std::string baseURL;
        // One HTTP exchange with the service; throws when no answer arrived.
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
        static Env live(std::string base = std::string(defaultBase));
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

    // The connection a metadata object describes.
    static Connection connectionFrom(const Json& meta);

private:
    Env m_env;
};

}
