#pragma once

#include "app/Globals.h"
#include "platform/core/fake/ManualMainQueue.h"
#include "tests/support/TempHome.h"

#include <string>

namespace ikw::testing {

// A temporary home with the process constants built over it and a manual main queue: what a test
// of engine runs needs around it.
struct EngineTestHome {
    TempHome home;
    ScopedGlobals globals { Globals::build(Paths::fromEnvironment()) };
    ManualMainQueue mainQueue;

    const std::string& path() const { return home.path(); }
};

// The per-user engine folder under `home`.
std::string userEngineFolder(const std::string& home);

// Copies the stand-in engine of tests/engine into the per-user engine folder under `home` and
// returns that folder.
std::string installStandInEngine(const std::string& home);

// Writes an executable script into the per-user engine folder under `home` (folders made) and
// returns its path.
std::string writeEngineScript(const std::string& home, const std::string& relativePath, const std::string& text);

}
