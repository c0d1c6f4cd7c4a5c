#include "permission-wizard/PermissionScreen.h"

namespace ikw::wizard {

PermissionScreenVisibility PermissionScreen::visibility() const
{
    if (isGranted)
        return { .grantedBadge = true, .skipButton = true };
    return {
        .settingsLink = true,
        .continuePlaceholder = asked(),
        .guidance = true,
        .costOfSkipping = permission.costOfSkipping.has_value(),
        .waitingNote = asked(),
        .skipButton = true,
    };
}

std::string PermissionScreen::stepCounter() const
{
    return "Step " + std::to_string(index + 1) + " of " + std::to_string(total);
}

std::string PermissionScreen::grantLabel() const
{
    return isGranted ? "Continue" : "Enable " + permission.title;
}

std::string PermissionScreen::skipLabel() const
{
    return permission.isOptional ? "Skip" : "Skip for now";
}

std::optional<std::string> PermissionScreen::rowsHeading() const
{
    if (permission.rowsToTick.empty())
        return std::nullopt;
    if (permission.rowsToTick.size() == 1)
        return "Turn on this entry:";
    return "Turn on BOTH of these entries. The system treats them as separate apps, and " + product.name
        + " only works when both are on:";
}

std::string PermissionScreen::waitingNote() const
{
    return "Still waiting for the system. If you have already switched it on and this has not moved after a few "
           "seconds, quit "
        + product.name + " and open it again: the system sometimes reports the permission to a newly launched copy only.";
}

std::string PermissionScreen::placeholderAccessibilityLabel() const
{
    return "Continue. Not available yet: waiting for the system to report " + permission.title + " as on.";
}

GuidancePicture PermissionScreen::guidancePicture(bool dark) const
{
    if (permission.dialogImageName) {
        if (auto image = KDPermission::resolveDialogImage(*permission.dialogImageName, dark))
            return { .dialogImage = std::move(image) };
    }
    return { .dialogImage = std::nullopt, .dragGuide = permission.requiresManualDrag };
}

void PermissionScreen::primaryAction(ui::Workspace& workspace) const
{
    if (isGranted) {
        if (const auto next = onContinue)
            next();
        return;
    }
    // Setting the asked state redraws, which may replace this screen value: copy what follows first.
    const auto request = permission.request;
    const auto settingsURL = permission.settingsURL;
    const auto revealedBundle = permission.requiresManualDrag ? std::optional(bundlePath) : std::nullopt;
    if (const auto setAsked = markAsked)
        setAsked();
    if (request)
        request();
    (void)workspace.openUrl(settingsURL);
    if (revealedBundle)
        workspace.revealFile(*revealedBundle);
}

void PermissionScreen::openSettings(ui::Workspace& workspace) const
{
    (void)workspace.openUrl(permission.settingsURL);
}

}
