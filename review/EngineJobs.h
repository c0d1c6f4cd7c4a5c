#pragma once

#include "platform/core/Json.h"
#include "review/EngineProcess.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace ikw {

// A one-shot engine job: "/bin/bash -c <command> <script> <input> <output>". The command text is
// a constant that reads its data only from the positional parameters ($0 script, $1 input,
// $2 output), so no path can ever be read as shell syntax.
struct EngineJobVerb {
    std::string_view command;
    std::string (*script)();
    std::string_view outputStem; // the hidden output file's name in the reviews folder: stem, UUID, ".json"
};

extern const EngineJobVerb kToPdfJob;
extern const EngineJobVerb kEditProbeJob;
extern const EngineJobVerb kRenderPagesJob;
extern const EngineJobVerb kGridJsonJob;
extern const EngineJobVerb kMultiDiffJob;

// The output file's text (nothing when the script wrote none), on the main queue, once. The
// output file is removed before the completion runs. The exit status is not consulted: the file
// is the answer.
using EngineJobCompletion = std::function<void(std::optional<std::string> output)>;
// Reworks the output on the job's own thread before the completion receives it (large answers
// are checked there, not on the main thread).
using EngineJobOutputFilter = std::function<std::optional<std::string>(std::optional<std::string> output)>;
void runEngineJob(const EngineJobVerb& verb, std::string input, EngineJobCompletion completion, EngineRunOptions runOptions = {},
    EngineJobOutputFilter filter = {});

// The PDF the engine made of a document: the answer's "pdf" when it is a non-empty string.
void convertToPDF(std::string path, std::function<void(std::optional<std::string> pdfPath)> completion, EngineRunOptions runOptions = {});
// Whether a document can be edited as text: the answer object ("editable", "why"), or nothing.
void editProbe(std::string path, std::function<void(std::optional<Json> answer)> completion, EngineRunOptions runOptions = {});

}
