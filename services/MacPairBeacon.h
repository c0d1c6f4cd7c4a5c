#pragma once

#include "platform/secrets/SecretStoreChain.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace ikw::services {

// The library beacon: the pairing code that new devices of the user's account join, kept as one
// item of the secret stores. The desktop's keyring keeps it on this computer only (nothing
// synchronises it to the account's other devices), so here the beacon is the code this computer
// published, or one written into its keyring before. Calls block their thread.
class MacPairBeacon {
public:
    static constexpr std::string_view service = "app.norvale.inkwarden.pair";
    static constexpr std::string_view account = "library-code";

    // The status codes of `publish`: the keychain's own numbers, so that callers and logs
    // read the same on every system.
    static constexpr std::int32_t kSuccess = 0;
    static constexpr std::int32_t kParameterError = -50;   // a code under 6 usable characters
    static constexpr std::int32_t kDuplicateItem = -25299; // another code is there and force was not given
    // Ours: no secret store took the item.
    static constexpr std::int32_t kStoreFailed = -1;

    // This computer's code held against the beacon.
    struct Standing {
        enum class Kind { none, mine, other };
        Kind kind = Kind::none;
        std::string code; // the beacon's code, for `other`
    };

    explicit MacPairBeacon(std::shared_ptr<secrets::SecretStoreChain> stores);
    // The machine's stores, with the product's one secrets file.
    static MacPairBeacon system();

    // The beacon's normalised code; nothing when the stores hold none, or fewer than 6 usable
    // characters, or cannot be read.
    std::optional<std::string> read() const;
    // Makes `code` the beacon. The same code is left as it is; a different one is replaced only
    // with `force`. Failures are logged, never shown.
    std::int32_t publish(const std::string& code, bool force) const;
    Standing standing(const std::string& mine) const;

private:
    std::shared_ptr<secrets::SecretStoreChain> m_stores;
};

}
