#pragma once

#include "finder-extension/ExtensionNames.h"
#include "finder/FinderIntake.h"
#include "platform/ui/Application.h"

#include <functional>
#include <memory>
#include <string_view>

namespace ikw::finder {

// The two entries other programs hand files to. The desktop has no Services menu: they are actions
// of the application on the session bus, called with a list of file URIs.
struct ServiceEntry {
    std::string_view name;
    std::string_view title;
    void (FinderIntake::*handle)(const std::vector<std::string>& uris);
};
inline constexpr ServiceEntry kServiceEntries[] = {
    { "openInQEL", finderext::kOpenTitle, &FinderIntake::openInQEL },
    { "shareInkwarden", finderext::kShareTitle, &FinderIntake::shareInkwarden },
};

// Exports the entries; each call looks the intake up and does nothing once it is gone.
void exportServices(ui::Application& application, std::function<std::shared_ptr<FinderIntake>()> intake);

}
