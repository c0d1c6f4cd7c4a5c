#include "assistants/PhotoBake.h"

#include "platform/core/BoundedFileRead.h"
#include "platform/core/Json.h"
#include "platform/core/Paths.h"
#include "platform/core/Process.h"
#include "review/EngineProcess.h"

#include <optional>

namespace ikw::assistants {

namespace {

constexpr const char* kNotConfigured = R"({"ok":false,"err":"No Velmo bake is configured on this computer."})";
constexpr const char* kNotStarted = R"({"ok":false,"err":"Could not start the Velmo bake."})";
constexpr const char* kFailed = R"({"ok":false,"err":"The Velmo bake reported an error."})";
constexpr const char* kBaked = R"({"ok":true})";

constexpr std::uint64_t kMostSettingsBytes = 1024 * 1024;

std::optional<std::string> bakeCommand(const std::string& home)
{
    const BoundedFileRead file = readRegularFileWithin(joinPath(home, ".culmora/personal.json"), kMostSettingsBytes);
    if (file.status != BoundedFileRead::Status::Read)
        return std::nullopt;
    const auto settings = parseJson(file.bytes);
    if (!settings || !settings->is_object())
        return std::nullopt;
    const auto command = settings->find("bake_cmd");
    if (command == settings->end() || !command->is_string() || command->get<std::string>().empty())
        return std::nullopt;
    return command->get<std::string>();
}

}

std::string runPhotoBake(const std::string& home)
{
    const auto command = bakeCommand(home);
    if (!command)
        return kNotConfigured;
    ProcessOptions options;
    options.argv = { "/bin/bash", "-lc", *command };
    options.environment = environmentWithSearchPath(kEngineSearchPath);
    options.captureStandardOutput = false;
    options.captureStandardError = false;
    const ProcessResult result = runProcess(options);
    if (!result.started)
        return kNotStarted;
    return result.succeeded() ? kBaked : kFailed;
}

}
