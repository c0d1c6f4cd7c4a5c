#include "services/AccountSetup.h"

#include "platform/http/CurlHttpClient.h"
#include "platform/secrets/SecretStores.h"

namespace ikw::services {

std::shared_ptr<IkwAccount> setUpAccount(const std::string& secretsPath, ui::WebAuthSessions& sessions, TaskQueue& queue,
    std::function<void()> changed)
{
    auto account = IkwAccount::create(AccountParts {
        .hub = IkwAccount::hubFromEnvironment(),
        .secrets = std::make_shared<secrets::SecretStoreChain>(secrets::systemSecretStores(secretsPath)),
        .http = std::make_shared<http::CurlHttpClient>(),
        .sessions = &sessions,
        .queue = &queue,
        .now = {},
        .changed = std::move(changed),
    });
    installAccount(account);
    account->loadStored();
    return account;
}

}
