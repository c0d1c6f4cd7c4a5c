#pragma once

#include "finder/DefaultAppClaims.h"
#include "platform/core/UserDefaults.h"

#include <ctime>
#include <functional>
#include <memory>
#include <string>

namespace ikw {
class PanelActions;
class UrlActions;
}

namespace ikw::finder {

struct DefaultAppActionServices {
    // Nothing once the application is going: the actions then do nothing.
    std::function<std::shared_ptr<DefaultAppClaims>()> claims;
    std::function<UserDefaults()> userDefaults;
    std::function<std::time_t()> now; // the wall clock
    std::string brandName;
};

// The toast after claiming every type: all of them, some of them, or none.
std::string viewerOutcomeMessage(const std::string& brandName, bool ok, ClaimCounts counts);
// The toast after claiming one group ("… now opens pdf documents.").
std::string groupOutcomeMessage(const std::string& brandName, const std::string& groupName, bool ok);

// The review page's offer ("defaultpdf", "setdefaultpdf", "setdefaultall", "setdefaultgroup",
// "defaultpdfdismiss", "defaultsnooze") and the settings panel's "setdefaultpdf", which claims PDF
// alone where the review page's claims every type.
void registerDefaultAppActions(UrlActions& actions, PanelActions& panelActions, DefaultAppActionServices services);

}
