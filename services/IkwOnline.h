#pragma once

#include "services/IkwAccount.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace ikw {
class ReviewWC;
}

// What review pages learn of the account and of online shares: the boot script every review page
// runs before its own scripts, and the statement that hands a loaded page a changed account.
namespace ikw::services::IkwOnline {

// The online-share web app's origin, and the host shared documents are published under.
inline constexpr std::string_view endpoint = "https://share.inkwarden.app";
inline constexpr std::string_view shareHost = "s.inkwarden.app";
inline constexpr long long maxBytes = 50000000;

// The four boot lines, with the account as it is now (an empty token when none is usable).
std::string bootJS(const IkwAccount* account);
// One statement handing the current account to a loaded page.
std::string pushTokenJS(const IkwAccount* account);
// Runs the push in every review window given (never in panels).
void broadcastToken(const IkwAccount* account, const std::vector<std::shared_ptr<ReviewWC>>& windows);

}
