#include "services/OakruneKeychain.h"

#include "app/Globals.h"
#include "platform/core/Log.h"
#include "platform/secrets/SecretStores.h"

namespace ikw::services {

namespace {

secrets::SecretKey tokenKey()
{
    return { std::string(OakruneKeychain::service), std::string(OakruneKeychain::account) };
}

void logSaveFailure(std::string_view why)
{
    logLine("Oakrune pairing token save failed: " + std::string(why));
}

}

OakruneKeychain::OakruneKeychain(std::shared_ptr<secrets::SecretStoreChain> stores)
    : m_stores(std::move(stores))
{
}

OakruneKeychain OakruneKeychain::system()
{
    return OakruneKeychain(std::make_shared<secrets::SecretStoreChain>(secrets::systemSecretStores(globals().secretsPath)));
}

std::optional<std::string> OakruneKeychain::read() const
{
    return m_stores->load(tokenKey());
}

bool OakruneKeychain::write(std::string_view token) const
{
    // The stores take an empty value for a removal, which would report success for nothing kept.
    if (token.empty()) {
        logSaveFailure("the token is empty");
        return false;
    }
    const secrets::ChainWrite written = m_stores->save(tokenKey(), token);
    if (written.ok())
        return true;
    if (written.result.status == secrets::SecretStatus::unavailable)
        logSaveFailure("no keychain accepted the item");
    else
        logSaveFailure(written.store + ": " + written.result.message);
    return false;
}

void OakruneKeychain::remove() const
{
    m_stores->save(tokenKey(), {});
}

}
