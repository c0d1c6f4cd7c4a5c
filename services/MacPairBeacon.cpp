#include "services/MacPairBeacon.h"

#include "app/Globals.h"
#include "platform/core/Log.h"
#include "platform/secrets/FileSecretStore.h"
#include "platform/secrets/LibsecretStore.h"
#include "services/PairCode.h"

namespace ikw::services {

namespace {

secrets::SecretKey beaconKey()
{
    return { std::string(MacPairBeacon::service), std::string(MacPairBeacon::account) };
}

}

MacPairBeacon::MacPairBeacon(std::shared_ptr<secrets::SecretStoreChain> stores)
    : m_stores(std::move(stores))
{
}

MacPairBeacon MacPairBeacon::system()
{
    // The settings panel reads the beacon on the main thread: a locked keyring answers at once
    // rather than holding the panel behind an unlock prompt.
    std::vector<std::shared_ptr<secrets::SecretStore>> stores {
        std::make_shared<secrets::LibsecretStore>(secrets::LibsecretOptions { .unlockToLoad = false }),
        std::make_shared<secrets::FileSecretStore>(globals().secretsPath),
    };
    return MacPairBeacon(std::make_shared<secrets::SecretStoreChain>(std::move(stores)));
}

std::optional<std::string> MacPairBeacon::read() const
{
    const auto stored = m_stores->load(beaconKey());
    if (!stored)
        return std::nullopt;
    std::string code = normalizedPairCode(*stored);
    if (code.size() < kShortestPairCode)
        return std::nullopt;
    return code;
}

std::int32_t MacPairBeacon::publish(const std::string& code, bool force) const
{
    const std::string normal = normalizedPairCode(code);
    if (normal.size() < kShortestPairCode)
        return kParameterError;
    const auto current = read();
    if (current == normal)
        return kSuccess;
    if (current && !force) {
        logLine("Inkwarden pair beacon: another device already published a different library; not overwriting");
        return kDuplicateItem;
    }
    // An empty value removes the item from every store, so that no older copy outlives the new one.
    m_stores->save(beaconKey(), {});
    const secrets::ChainWrite written = m_stores->save(beaconKey(), normal);
    if (written.ok())
        return kSuccess;
    logLine("Inkwarden pair beacon publish failed: " + (written.store.empty() ? std::string("no store") : written.store) + ": "
        + written.result.message);
    return kStoreFailed;
}

MacPairBeacon::Standing MacPairBeacon::standing(const std::string& mine) const
{
    const auto beacon = read();
    if (!beacon)
        return {};
    if (*beacon == normalizedPairCode(mine))
        return { Standing::Kind::mine, {} };
    return { Standing::Kind::other, *beacon };
}

}
