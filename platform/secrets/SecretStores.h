#pragma once

#include "platform/secrets/SecretStore.h"

#include <memory>
#include <string>
#include <vector>

namespace ikw::secrets {

// The stores of this machine in the order callers try them: the desktop's keyring, then the
// private file at `fileStorePath` for when no keyring answers.
std::vector<std::unique_ptr<SecretStore>> systemSecretStores(const std::string& fileStorePath);

}
