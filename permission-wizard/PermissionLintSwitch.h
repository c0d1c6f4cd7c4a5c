#pragma once

#include <functional>
#include <string>
#include <vector>

namespace ikw::wizard {

// The program's "--permission-lint" mode: with "--selftest" anywhere only the self-test runs;
// otherwise `configureApplication` (the host's own wizard set-up, empty while it has none) runs
// first so its permissions are what gets linted. Returns the exit status.
int runPermissionLintSwitch(const std::vector<std::string>& arguments, const std::function<void()>& configureApplication);

}
