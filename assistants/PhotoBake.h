#pragma once

#include <string>

namespace ikw::assistants {

// The user's own bake command: `bake_cmd` of ".culmora/personal.json" under `home`, run through a
// login shell (it is the user's command line, a shell string by design) with the engine's search
// path, its output drained and dropped, waited for without a time limit. Returns the answer for
// the page: {"ok":true}, or {"ok":false,"err":...} when there is no command, it cannot start, or
// it exits with a failure. Blocks: call it off the main thread.
std::string runPhotoBake(const std::string& home);

}
