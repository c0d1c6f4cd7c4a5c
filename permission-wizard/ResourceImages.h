#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ikw::wizard {

// The path of the bundle image named `name` ("<resources>/<name>.png"), when it is there. Names
// that could leave the resources folder find nothing.
std::optional<std::string> findResourceImage(std::string_view name);

}
