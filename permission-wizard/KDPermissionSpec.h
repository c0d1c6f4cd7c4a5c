#pragma once

#include "permission-wizard/KDPermission.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace ikw::wizard {

// The plain data of a permission that the copy lint judges. Built with designated initializers
// in field order, or from a permission.
struct KDPermissionSpec {
    std::string id;
    std::string title;
    std::string benefit;
    std::vector<std::string> bullets;
    std::string boundary;
    std::string settingsURL;
    bool isOptional = false;
    std::optional<std::string> costOfSkipping;
    std::vector<std::string> rowsToTick;
    bool requiresManualDrag = false;
    std::optional<std::string> dialogImageName;
    std::function<bool()> probe; // may be empty

    // Copies the permission's data; the probe stays empty.
    static KDPermissionSpec from(const KDPermission& permission);
};

}
