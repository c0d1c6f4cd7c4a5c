#pragma once

#include "services/IkwAccount.h"

#include <functional>
#include <memory>
#include <string>

namespace ikw::services {

// The product's account: the service's hub (or the loopback stand-in of a test run), the
// keyring with the private secrets file behind it, libcurl, and the browser sign-in. It is
// installed as the process's account and starts reading its stored items in the background.
// `sessions` and `queue` must outlive it.
std::shared_ptr<IkwAccount> setUpAccount(const std::string& secretsPath, ui::WebAuthSessions& sessions, TaskQueue& queue,
    std::function<void()> changed);

}
