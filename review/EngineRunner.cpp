#include "review/EngineRunner.h"

#include "platform/core/Json.h"
#include "platform/core/Paths.h"
#include "platform/core/TaskQueue.h"
#include "platform/core/Text.h"
#include "platform/core/TextMetrics.h"
#include "review/EngineLocator.h"

namespace ikw {

namespace {

using AnswerPicker = std::string (*)(std::string_view output);

bool isJsonContainer(std::string_view text)
{
    const auto value = parseJson(text);
    return value && (value->is_object() || value->is_array());
}

std::string_view trimSpacesAndTabs(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The last piece of `output`, cut at any of `separators`, that holds more than spaces and tabs.
std::string_view lastNonBlankPiece(std::string_view output, std::string_view separators)
{
    std::size_t end = output.size();
    while (end > 0) {
        const std::size_t cut = output.find_last_of(separators, end - 1);
        const std::size_t begin = cut == std::string_view::npos ? 0 : cut + 1;
        const std::string_view piece = output.substr(begin, end - begin);
        if (!trimSpacesAndTabs(piece).empty())
            return piece;
        if (cut == std::string_view::npos)
            break;
        end = cut;
    }
    return {};
}

// The chosen line goes into page script unquoted, so nothing but a JSON container passes.
std::string lineOrError(std::string_view line, std::string_view error)
{
    if (!line.empty() && isJsonContainer(line))
        return std::string(line);
    return engineErrorAnswer(error);
}

std::string answerFor(const ProcessResult& result, AnswerPicker pick)
{
    if (!result.started)
        return engineErrorAnswer(result.spawnError);
    if (result.idleTimedOut)
        return engineErrorAnswer(kEngineStoppedResponding);
    return pick(result.standardOutput);
}

void runEngineScript(std::vector<std::string> arguments, const std::string& script, EngineProgress progress, AnswerPicker pick,
    EngineAnswer completion, const EngineRunOptions& runOptions)
{
    ProcessOptions options;
    options.argv = { runOptions.interpreter.empty() ? pythonInterpreter() : runOptions.interpreter, joinPath(parentPath(engineLauncher()), script) };
    options.argv.insert(options.argv.end(), std::make_move_iterator(arguments.begin()), std::make_move_iterator(arguments.end()));
    options.environment = environmentWithSearchPath(kEngineSearchPath);
    options.idleTimeoutSeconds = runOptions.idleTimeoutSeconds;
    // Standard error is read either way, so a talkative script never stalls on a full pipe.
    options.captureStandardError = false;
    // A progress line counts once its line feed has come; an unfinished one at exit is dropped.
    options.deliverUnterminatedLastLine = false;
    if (progress) {
        options.onStandardErrorLine = [progress](std::string_view line) {
            if (const std::string_view text = trim(line); !text.empty() && isValidUtf8(text))
                mainQueue().post([progress, text = std::string(text)] { progress(text); });
        };
    }
    runOnOwnThread([options = std::move(options), pick, completion = std::move(completion)] {
        // Progress lines were posted as they came, so the completion queues up behind every one.
        std::string answer = answerFor(runProcess(options), pick);
        mainQueue().post([completion, answer = std::move(answer)] { completion(answer); });
    });
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
    return lineOrError(lastLine, kEngineDefaultError);
}

std::string aiAnswerFromOutput(std::string_view output)
{
    if (!isValidUtf8(output))
        return engineErrorAnswer(kAIEngineError);
    return lineOrError(trimSpacesAndTabs(lastNonBlankPiece(output, "\n")), kAIEngineError);
}

std::string culmoraAnswerFromOutput(std::string_view output)
{
    if (!isValidUtf8(output))
        return engineErrorAnswer(kCulmoraEngineError);
    return lineOrError(lastNonBlankPiece(output, "\r\n"), kCulmoraEngineError);
}

void runOrganize(std::vector<std::string> arguments, std::string script, EngineProgress progress, EngineAnswer completion,
    EngineRunOptions runOptions)
{
    runEngineScript(std::move(arguments), script, std::move(progress), engineAnswerFromOutput, std::move(completion), runOptions);
}

void runAI(std::vector<std::string> arguments, EngineAnswer completion, EngineRunOptions runOptions)
{
    runEngineScript(std::move(arguments), kAIScript, {}, aiAnswerFromOutput, std::move(completion), runOptions);
}

void runCulmora(std::vector<std::string> arguments, EngineAnswer completion, EngineRunOptions runOptions)
{
    runEngineScript(std::move(arguments), kCulmoraScript, {}, culmoraAnswerFromOutput, std::move(completion), runOptions);
}

}
