#pragma once

// Permissions for the tests of this folder.

#include "permission-wizard/KDPermission.h"

namespace ikw::wizard {

// A permission whose copy passes every lint rule; not granted.
inline KDPermission cleanPermission()
{
    return {
        .id = "findersync",
        .title = "File Manager Extension",
        .benefit = "Review a document from its folder.",
        .bullets = { "Open from the folder", "See the review state", "Skip the import" },
        .boundary = "Only adds menu items, never reads your folders.",
        .settingsURL = "x-apple.systempreferences:com.apple.LoginItems-Settings.extension",
        .probe = [] { return false; },
        .request = {},
        .isOptional = false,
        .costOfSkipping = std::nullopt,
        .rowsToTick = {},
        .dialogImageName = std::nullopt,
        .hero = {},
        .requiresManualDrag = false,
    };
}

}
