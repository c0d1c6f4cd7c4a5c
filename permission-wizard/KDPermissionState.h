#pragma once

#include "permission-wizard/KDPermission.h"

#include <optional>
#include <set>
#include <string>
#include <vector>

namespace ikw::wizard {

// The machine-readable report of the wizard's permissions for other tools:
// ~/.<slug>/permissions.json. Written whole, never read back; every failure is silent.
class KDPermissionState {
public:
    KDPermissionState() = delete;

    // The file's path for the configured product, creating its folder (a failure is ignored).
    // Nothing when the product's slug cannot name a folder under home.
    static std::optional<std::string> fileURL();

    // Replaces the file atomically, probing each permission once; the previous file stays whole
    // when the write fails.
    static void write(const std::vector<KDPermission>& permissions, const std::set<std::string>& skipped);
};

}
