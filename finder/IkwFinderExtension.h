#pragma once

#include <string>
#include <string_view>

namespace ikw::ui {
class Workspace;
}

// The file-manager extension as the application sees it. Nautilus loads every module in its
// extension folder and has no switch per extension, so installed means enabled.
namespace ikw::finder::IkwFinderExtension {

// The settings link of the extension's permission, in the form the permission wizard's copy lint
// holds every settings link to (the desktop has no such pane: the request shows the folder).
inline constexpr std::string_view settingsURL = "x-apple.systempreferences:com.apple.LoginItems-Settings.extension";

// The folder Nautilus loads extension modules from, fixed when the application was built; empty
// when the build machine had no Nautilus extension API (the extension is then never installed).
std::string extensionFolder();

// Whether the extension's module file is in `folder`.
bool isInstalledIn(std::string_view folder);
bool isEnabled();

// Nautilus has no settings for its extensions: shows their folder in the file manager instead.
// False when there is no such folder or it could not be shown.
bool openExtensionSettings(ui::Workspace& workspace);

}
