#include "permission-wizard/setup/IkwPermissions.h"

#include "app/Globals.h"
#include "finder/IkwFinderExtension.h"
#include "permission-wizard/KDPermissionWizard.h"
#include "permission-wizard/art/KDCapabilityArt.h"

#include <cstdint>
#include <string>

namespace ikw::setup::IkwPermissions {

namespace {

using wizard::Color;
using wizard::KDWizardBrand;

constexpr double kContentHeight = 820;

KDWizardBrand::ColorFor byAppearance(std::uint32_t dark, std::uint32_t light)
{
    return [dark, light](bool isDark) { return Color::fromHex(isDark ? dark : light); };
}

Color withOpacity(Color color, double opacity)
{
    color.alpha = opacity;
    return color;
}

}

wizard::KDWizardProduct product()
{
    return { globals().brand.name, "inkwarden" };
}

wizard::KDWizardBrand brand()
{
    return KDWizardBrand(
        byAppearance(0xCEB06B, 0xC8A872), // accent
        byAppearance(0xF0EBE1, 0x1B1A17), // ink
        byAppearance(0x9A9690, 0x6B6455), // inkMuted
        byAppearance(0x191A1C, 0xFBF8F1), // ground
        byAppearance(0x191A1C, 0x23262A), // onAccent
        byAppearance(0xD8BC8C, 0x8A6414), // accentText
        KDWizardBrand::appIconMark(26));
}

std::vector<wizard::KDPermission> permissions(std::shared_ptr<ui::Workspace> workspace)
{
    const std::string name = globals().brand.name;
    const KDWizardBrand colours = brand();
    return { wizard::KDPermission {
        .id = "findersync",
        .title = "Files Extension",
        .benefit = "So Inkwarden sits in the right-click menu itself, not two levels down under Services.",
        .bullets = {
            "Right-click any PDF and choose Share with " + name,
            "Right-click any file or folder and open it straight in " + name,
            "Works in every Files window, on external and network disks too",
        },
        .boundary = "Only sees the items you right-click, and only when you right-click them. It never reads a file's "
                    "contents, never scans your disk, and never sends anything anywhere.",
        .settingsURL = std::string(finder::IkwFinderExtension::settingsURL),
        .probe = [] { return finder::IkwFinderExtension::isEnabled(); },
        .request = [workspace] {
            if (workspace)
                finder::IkwFinderExtension::openExtensionSettings(*workspace);
        },
        .isOptional = true,
        .costOfSkipping = "Open in " + name + " and Share with " + name
            + " still work. They stay in the right-click menu's Services submenu instead of at the top.",
        .rowsToTick = { name },
        .dialogImageName = "PermissionDialog-finder",
        .hero = [colours](bool dark) {
            const Color line = withOpacity(colours.inkMuted(dark), dark ? 0.55 : 0.45);
            return wizard::KDCapabilityArt::contextMenuRow(colours.accent(dark), colours.ink(dark), line, dark);
        },
        .requiresManualDrag = false,
    } };
}

void configure(bool writeState, std::shared_ptr<ui::Workspace> workspace)
{
    wizard::KDPermissionWizard::setContentHeight(kContentHeight);
    wizard::KDPermissionWizard::configure(product(), brand(), permissions(std::move(workspace)), writeState);
}

void refreshRecordedState()
{
    wizard::KDPermissionWizard::recordStateChanged();
}

}
