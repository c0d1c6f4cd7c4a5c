#pragma once

#include "platform/secrets/SecretStoreChain.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace ikw::services {

// Where the contract library's pairing token lives: one item in the desktop keyring, with the
// product's private secrets file behind it for when no keyring answers. A keyring that cannot be
// reached hands the item on to the file; one that answers with an error keeps the earlier token
// and stops there. The token never reaches a log. Calls block their thread.
class OakruneKeychain {
public:
    static constexpr std::string_view service = "com.norvale.inkwarden.oakrune";
    static constexpr std::string_view account = "oakrune-pairing-token";

    explicit OakruneKeychain(std::shared_ptr<secrets::SecretStoreChain> stores);
    // The machine's stores, with the product's one secrets file.
    static OakruneKeychain system();

    // The first store's non-empty UTF-8 token, or nothing.
    std::optional<std::string> read() const;
    // True when a store accepted the token; a refusal is logged (without the token).
    bool write(std::string_view token) const;
    // Removes the item from every store; outcomes are not reported.
    void remove() const;

private:
    std::shared_ptr<secrets::SecretStoreChain> m_stores;
};

}
