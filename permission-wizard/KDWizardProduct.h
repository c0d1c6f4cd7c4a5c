#pragma once

#include <string>

namespace ikw::wizard {

// The host product as the wizard names it: `name` in texts, `slug` for its state folder and keys.
struct KDWizardProduct {
    std::string name;
    std::string slug;
};

}
