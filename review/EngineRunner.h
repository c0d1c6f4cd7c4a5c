#pragma once

#include "review/EngineProcess.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace ikw {

using EngineProgress = std::function<void(const std::string& line)>;
using EngineAnswer = std::function<void(const std::string& json)>;

inline constexpr const char* kOrganizeScript = "inkwarden_organize.py";

// Runs the engine script `script` (a name in the launcher's folder) with python3 and `arguments`
// off the main thread. Each non-empty standard-error line goes to `progress` (when given) on the
// main queue; then, once, `completion` gets the JSON answer text, also on the main queue: the
// script's whole output or its last line when that is a JSON object or array, else an
// {"error": ...} object.
void runOrganize(std::vector<std::string> arguments, std::string script, EngineProgress progress, EngineAnswer completion,
    EngineRunOptions runOptions = {});

// The answer a finished run gives for its standard output.
std::string engineAnswerFromOutput(std::string_view output);
// {"error": message} as compact JSON.
std::string engineErrorAnswer(std::string_view message);

inline constexpr const char* kEngineDefaultError = "Could not start the organizer engine.";
inline constexpr const char* kEngineStoppedResponding = "The engine stopped responding.";

}
