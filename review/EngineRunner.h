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
inline constexpr const char* kAIScript = "inkwarden_ai.py";
inline constexpr const char* kCulmoraScript = "culmora_photo.py";

// The engine's scripts all run the same way: python3 with the script (a name in the launcher's
// folder) and the arguments, off the main thread, with a fixed PATH, both pipes drained, and ended
// after kEngineIdleTimeoutSeconds of silence. The runners below differ only in how they pick the
// answer out of standard output and in their error object for a script that says nothing usable.
// Whatever the script prints, the completion runs once, on the main queue, with text that parses
// as a JSON object or array, so callers may insert it into page script as it stands; a start
// failure gives {"error": the reason}.

// Each non-empty standard-error line goes to `progress` (when given) on the main queue; then the
// answer: the script's whole output or its last line when that is a JSON object or array, else
// {"error":"Could not start the organizer engine."}.
void runOrganize(std::vector<std::string> arguments, std::string script, EngineProgress progress, EngineAnswer completion,
    EngineRunOptions runOptions = {});

// The local AI script (inkwarden_ai.py): the last line of standard output that is not blank once
// spaces and tabs are trimmed, trimmed, when it is a JSON object or array; else
// {"error":"Could not start the local AI engine."}. Standard error is read and dropped.
void runAI(std::vector<std::string> arguments, EngineAnswer completion, EngineRunOptions runOptions = {});

// The photo sorter's script (culmora_photo.py): output split at line feeds and carriage returns,
// the last piece that is not blank once spaces and tabs are trimmed, as it stands, when it is a
// JSON object or array; else {"error":"Could not run the sort engine."}. Standard error is read
// and dropped.
void runCulmora(std::vector<std::string> arguments, EngineAnswer completion, EngineRunOptions runOptions = {});

// The answer each runner gives for a finished run's standard output.
std::string engineAnswerFromOutput(std::string_view output);
std::string aiAnswerFromOutput(std::string_view output);
std::string culmoraAnswerFromOutput(std::string_view output);
// {"error": message} as compact JSON.
std::string engineErrorAnswer(std::string_view message);

inline constexpr const char* kEngineDefaultError = "Could not start the organizer engine.";
inline constexpr const char* kAIEngineError = "Could not start the local AI engine.";
inline constexpr const char* kCulmoraEngineError = "Could not run the sort engine.";
inline constexpr const char* kEngineStoppedResponding = "The engine stopped responding.";

}
