#pragma once

#include "platform/secrets/LibsecretStore.h"
#include "platform/secrets/SecretStore.h"

#include <array>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>

namespace ikw::legal {

// The user's saved signatures: one text in one secret item that every signing page shares, so
// that they outlive any page's own storage. The desktop's keyring is asked first and the private
// secrets file second; the keyring's copy wins while it exists. The text is opaque here (by the
// signing page's convention a JSON list of images with labels).
//
// Calls are synchronous and made on the main thread, at every page load: the keyring is given a
// short time-out and is never asked to unlock for a lookup.
class SignatureVault {
public:
    // The two stores, in the order they are asked. The names are those of the self-test's output.
    enum class Store { dataProtection, legacy };

    struct State {
        enum class Kind { found, empty, unknown };

        Kind kind = Kind::unknown;
        std::string text; // the stored text, for `found`

        static State found(std::string text) { return { Kind::found, std::move(text) }; }
        static State empty() { return { Kind::empty, {} }; }
        static State unknown() { return { Kind::unknown, {} }; }
        bool operator==(const State&) const = default;
    };

    static constexpr std::string_view service = "com.norvale.inkwarden.signatures";
    static constexpr std::string_view account = "signatures-v1";
    // The self-test's own item, so that the test never touches the user's signatures.
    static constexpr std::string_view probeAccount = "selftest-probe";
    static constexpr std::string_view probePayload = R"([{"img":"data:image/png;base64,PROBE","name":"probe"}])";

    using LogSink = std::function<void(std::string_view)>;

    // `dataProtection` is the keyring, `legacy` the secrets file; both outlive the vault.
    SignatureVault(secrets::SecretStore& dataProtection, secrets::SecretStore& legacy, LogSink log = {});

    // The process's vault: the keyring with `keyringOptions()`, then the secrets file named by
    // the process constants.
    static SignatureVault& shared();
    // A short wait and no unlock prompt for lookups.
    static secrets::LibsecretOptions keyringOptions();

    // Stores the payload in place of the item of the first store that can be reached; true on
    // success. The other store's older copy stays where it is.
    bool write(std::string_view payload);
    // Looks the item up. `unknown` whenever a store that may hold it cannot say, so that an
    // unreadable vault is never taken for an empty one.
    State state();
    // The text of `found`, nothing otherwise.
    std::optional<std::string> read();
    // Removes the item from both stores; true when either removal succeeded or found nothing.
    bool clear();
    // The store that took the last successful write or answered the last `found`.
    std::optional<Store> lastStoreUsed() const { return m_lastStoreUsed; }

    // Proves on this machine that a store takes, gives back and deletes an item, and that the
    // lookup tells an absent item from a present one; one line per check on `out`. True when
    // every check passed. Works on the probe item only.
    bool selftest(std::ostream& out);

private:
    struct Keychain {
        Store store;
        secrets::SecretStore& secrets;
    };

    bool writeItem(std::string_view itemAccount, std::string_view payload);
    State stateOf(std::string_view itemAccount);
    bool clearItem(std::string_view itemAccount);
    std::optional<Store> writeProbeDirectly();
    bool checkProbeStates(std::ostream& out);

    std::array<Keychain, 2> m_keychains;
    LogSink m_log;
    std::optional<Store> m_lastStoreUsed;
};

std::string_view rawValue(SignatureVault::Store store);

}
