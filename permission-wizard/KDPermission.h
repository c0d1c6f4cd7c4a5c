#pragma once

#include "permission-wizard/HeroDiagram.h"
#include "permission-wizard/WizardImage.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ikw::wizard {

// One permission screen's content and behaviour, as a host hands it to the wizard. Built with
// designated initializers in field order.
struct KDPermission {
    std::string id;              // stable: keys the skipped set and the state file rows
    std::string title;
    std::string benefit;         // one sentence: what the user gains
    std::vector<std::string> bullets;
    std::string boundary;        // the privacy promise: what is done and what is not
    std::string settingsURL;     // the settings deep link opened for this permission
    std::function<bool()> probe; // granted now? Called on the main thread, often: keep it cheap
    std::function<void()> request; // may be empty: asks the system, or opens its pane
    bool isOptional = false;
    std::optional<std::string> costOfSkipping;
    std::vector<std::string> rowsToTick; // the settings rows the user must switch on
    std::optional<std::string> dialogImageName;
    std::function<HeroDiagram(bool dark)> hero; // may be empty
    bool requiresManualDrag = false;

    // The bundle's picture of the system dialog for one appearance: "<name>-dark" or
    // "<name>-light" when present, else the plain "<name>", else nothing.
    static std::optional<WizardImage> resolveDialogImage(std::string_view name, bool dark);
};

}
