#pragma once

#include "platform/secrets/SecretStore.h"

#include <chrono>
#include <string>

namespace ikw::secrets {

struct LibsecretOptions {
    // The secret service must answer a ping within this time, or the store is unavailable.
    std::chrono::milliseconds answerTimeout { 3000 };
    // The longest a whole call may take, an unlock prompt of the keyring included.
    std::chrono::milliseconds callTimeout { 60000 };
    // Whether a load may ask the user to unlock the keyring. Without it a locked item answers
    // unavailable (locked) at once; saves may still prompt, within the call time-out.
    bool unlockToLoad = true;
};

// Secrets in the desktop's keyring through the Secret Service (libsecret over the session bus).
// Items are generic passwords with the attributes "service" and "account" in the default
// collection; any item with those attributes is found, whoever stored it.
class LibsecretStore final : public SecretStore {
public:
    explicit LibsecretStore(LibsecretOptions options = {});

    std::string_view name() const override { return "secret service"; }
    SecretResult load(const SecretKey& key) override;
    SecretResult save(const SecretKey& key, std::string_view value) override;
    SecretResult remove(const SecretKey& key) override;

private:

    LibsecretOptions m_options;
};

}
