#include "platform/secrets/SecretStores.h"

#include "platform/secrets/FileSecretStore.h"
#include "platform/secrets/LibsecretStore.h"

namespace ikw::secrets {

std::vector<std::unique_ptr<SecretStore>> systemSecretStores(const std::string& fileStorePath)
{
    std::vector<std::unique_ptr<SecretStore>> stores;
    stores.push_back(std::make_unique<LibsecretStore>());
    stores.push_back(std::make_unique<FileSecretStore>(fileStorePath));
    return stores;
}

}
