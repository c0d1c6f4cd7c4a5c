#pragma once

#include "legal/SignatureVault.h"

#include <functional>
#include <string>
#include <string_view>

namespace ikw {
class ReviewWC;
}

namespace ikw::legal {

// What the signing page's bridge asks of the vault; tests put a scripted vault behind it.
struct VaultCalls {
    std::function<SignatureVault::State()> state;
    std::function<bool(std::string_view payload)> write;
    std::function<bool()> clear;

    static VaultCalls of(SignatureVault& vault);
};

// The key older signing pages kept their signatures under in the page's local storage.
inline constexpr std::string_view legacySignaturesKey = "ikwSignatures";

// Hands the vault's signatures to signing pages, stores what they hand back, and moves the lists
// older pages kept in their own local storage into the vault. Main thread; answers for a window
// or view that has gone are dropped.
class SignatureBridge {
public:
    using LogSink = std::function<void(std::string_view)>;

    SignatureBridge(VaultCalls vault, LogSink log);

    // Every finished page load and "sigvaultload": ikwSignaturesLoad(text, known), then the
    // migration of the page's own list.
    void pushSignatureVault(ReviewWC& window) const;
    // Nothing happens while the vault cannot be read: an unreadable vault is never overwritten.
    void migrateLegacySignatures(ReviewWC& window, const SignatureVault::State& vaultState) const;
    // "sigvaultsave": stores window.__ikwSigVaultOut ("[]" clears) and answers ikwSignatureVaultSaved.
    void saveSignatureVault(ReviewWC& window) const;

private:
    VaultCalls m_vault;
    LogSink m_log;
};

}
