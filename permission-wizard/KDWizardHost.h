#pragma once

#include "platform/core/FileSystem.h"
#include "platform/core/UserDefaults.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace ikw::wizard {

class WizardPresenter;

// The running program as the state file names it.
struct KDWizardIdentity {
    std::string identifier; // "bundle_id"; "unknown" when empty
    std::string bundlePath; // "app_path", and the folder shown for a permission that needs a manual drag
};

// Subscribes `handler` to the application's "became active" event and returns the function that
// ends the subscription.
using ActivationSubscriber = std::function<std::function<void()>(std::function<void()> handler)>;

// What the host program hands the wizard, once, before it configures it.
struct KDWizardHost {
    // Keeps the skipped sets. Without it nothing is remembered as skipped.
    std::optional<UserDefaults> userDefaults;
    // Without it "bundle_id" is "unknown" and the bundle is the folder around the running program.
    std::optional<KDWizardIdentity> identity;
    // Makes the wizard's window. Without it the wizard is never shown.
    std::shared_ptr<WizardPresenter> presenter;
    // The application's "became active" event. Without it the wizard polls on its timer only.
    ActivationSubscriber subscribeBecameActive;
    // Where the state file is written.
    FileSystem* fileSystem = &realFileSystem();

    std::string bundleIdentifier() const;
    std::string bundlePath() const;
};

}
