#include "review/EngineJobs.h"

#include "app/Globals.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Identifiers.h"
#include "platform/core/TaskQueue.h"
#include "review/EngineLocator.h"

namespace ikw {

namespace {

// python3 at its usual place, else the first on PATH. The converting verbs put /usr/local/bin in
// front of PATH so that the script finds the tools installed there.
constexpr std::string_view kToPdfCommand =
    R"(export PATH=/usr/local/bin:$PATH; py=/usr/bin/python3; [ -x "$py" ] || py=python3; exec "$py" "$0" --to-pdf "$1" "$2")";
constexpr std::string_view kEditProbeCommand =
    R"(py=/usr/bin/python3; [ -x "$py" ] || py=python3; exec "$py" "$0" --edit-probe "$1" "$2")";
constexpr std::string_view kRenderPagesCommand =
    R"(export PATH=/usr/local/bin:$PATH; py=/usr/bin/python3; [ -x "$py" ] || py=python3; exec "$py" "$0" --render-pages "$1" "$2")";
constexpr std::string_view kGridJsonCommand =
    R"(py=/usr/bin/python3; [ -x "$py" ] || py=python3; exec "$py" "$0" --grid-json "$1" "$2")";
constexpr std::string_view kMultiDiffCommand =
    R"(py=/usr/bin/python3; [ -x "$py" ] || py=python3; exec "$py" "$0" --multi-diff "$1" "$2")";

std::optional<Json> answerObject(const std::optional<std::string>& output)
{
    if (!output)
        return std::nullopt;
    auto answer = parseJson(*output);
    if (!answer || !answer->is_object())
        return std::nullopt;
    return answer;
}

std::optional<std::string> pdfPathOf(const std::optional<Json>& answer)
{
    if (!answer)
        return std::nullopt;
    const auto pdf = answer->find("pdf");
    if (pdf == answer->end() || !pdf->is_string() || pdf->get_ref<const std::string&>().empty())
        return std::nullopt;
    return pdf->get<std::string>();
}

}

const EngineJobVerb kToPdfJob { kToPdfCommand, ruredeGenPy, "/.topdf-" };
const EngineJobVerb kEditProbeJob { kEditProbeCommand, ruredeGenPy, "/.editprobe-" };
const EngineJobVerb kRenderPagesJob { kRenderPagesCommand, ruredeGenPy, "/.pages-" };
const EngineJobVerb kGridJsonJob { kGridJsonCommand, ruredeGenPy, "/.grid-" };
const EngineJobVerb kMultiDiffJob { kMultiDiffCommand, inkwardenDiffPy, "/.tlo-" };

void runEngineJob(const EngineJobVerb& verb, std::string input, EngineJobCompletion completion, EngineRunOptions runOptions,
    EngineJobOutputFilter filter)
{
    const std::string archive = globals().archive;
    const std::string output = archive + std::string(verb.outputStem) + makeUuid() + ".json";

    ProcessOptions options;
    options.argv = { "/bin/bash", "-c", std::string(verb.command), verb.script(), std::move(input), output };
    options.idleTimeoutSeconds = runOptions.idleTimeoutSeconds;
    options.captureStandardOutput = false;
    options.captureStandardError = false;

    runOnOwnThread([archive, output, options = std::move(options), completion = std::move(completion), filter = std::move(filter)] {
        // The script writes its answer here; a first run on a new machine has no folder yet.
        realFileSystem().createDirectories(archive);
        const ProcessResult result = runProcess(options);
        std::optional<std::string> answer;
        if (result.started && !result.idleTimedOut)
            answer = realFileSystem().readFile(output);
        realFileSystem().removeFile(output);
        if (filter)
            answer = filter(std::move(answer));
        mainQueue().post([completion, answer = std::move(answer)] { completion(answer); });
    });
}

void convertToPDF(std::string path, std::function<void(std::optional<std::string>)> completion, EngineRunOptions runOptions)
{
    runEngineJob(kToPdfJob, std::move(path), [completion = std::move(completion)](std::optional<std::string> output) {
        completion(pdfPathOf(answerObject(output)));
    }, runOptions);
}

void editProbe(std::string path, std::function<void(std::optional<Json>)> completion, EngineRunOptions runOptions)
{
    runEngineJob(kEditProbeJob, std::move(path), [completion = std::move(completion)](std::optional<std::string> output) {
        completion(answerObject(output));
    }, runOptions);
}

}
