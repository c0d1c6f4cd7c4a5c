#include "review/EngineRunner.h"

#include "platform/core/Json.h"
#include "platform/core/Paths.h"
#include "platform/core/TaskQueue.h"
#include "platform/core/Text.h"
#include "platform/core/TextMetrics.h"
#include "review/EngineLocator.h"

namespace ikw {

namespace {

bool isJsonContainer(std::string_view text)
{
    const auto value = parseJson(text);
    return value && (value->is_object() || value->is_array());
}

std::string answerFor(const ProcessResult& result)
{
    if (!result.started)
        return engineErrorAnswer(result.spawnError);
    if (result.idleTimedOut)
        return engineErrorAnswer(kEngineStoppedResponding);
    return engineAnswerFromOutput(result.standardOutput);
}

}

std::string engineErrorAnswer(std::string_view message)
{
    return toJson(Json { { "error", std::string(message) } });
}

std::string engineAnswerFromOutput(std::string_view output)
{
    if (!isValidUtf8(output))
        return engineErrorAnswer(kEngineDefaultError);
    const std::string_view trimmed = trim(output);
    if (!trimmed.empty() && isJsonContainer(trimmed))
        return std::string(trimmed);
    // The trimmed text ends in something other than a line end, so its last line is not empty.
    const std::size_t lineEnd = trimmed.find_last_of("\r\n");
    const std::string_view lastLine = lineEnd == std::string_view::npos ? trimmed : trimmed.substr(lineEnd + 1);
    if (isJsonContainer(lastLine))
        return std::string(lastLine);
    return engineErrorAnswer(kEngineDefaultError);
}

void runOrganize(std::vector<std::string> arguments, std::string script, EngineProgress progress, EngineAnswer completion,
    EngineRunOptions runOptions)
{
    ProcessOptions options;
    options.argv = { runOptions.interpreter.empty() ? pythonInterpreter() : runOptions.interpreter, joinPath(parentPath(engineLauncher()), script) };
    options.argv.insert(options.argv.end(), std::make_move_iterator(arguments.begin()), std::make_move_iterator(arguments.end()));
    options.environment = environmentWithSearchPath(kEngineSearchPath);
    options.idleTimeoutSeconds = runOptions.idleTimeoutSeconds;
    options.captureStandardError = false;
    // A progress line counts once its line feed has come; an unfinished one at exit is dropped.
    options.deliverUnterminatedLastLine = false;
    if (progress) {
        options.onStandardErrorLine = [progress](std::string_view line) {
            if (const std::string_view text = trim(line); !text.empty() && isValidUtf8(text))
                mainQueue().post([progress, text = std::string(text)] { progress(text); });
        };
    }
    runOnOwnThread([options = std::move(options), completion = std::move(completion)] {
        // Progress lines were posted as they came, so the completion queues up behind every one.
        std::string answer = answerFor(runProcess(options));
        mainQueue().post([completion, answer = std::move(answer)] { completion(answer); });
    });
}

}
