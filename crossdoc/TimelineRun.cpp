#include "crossdoc/TimelineRun.h"

#include "app/Globals.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Identifiers.h"
#include "platform/core/Json.h"
#include "platform/core/Log.h"
#include "platform/core/Paths.h"
#include "review/EngineJobs.h"

namespace ikw::crossdoc {

namespace {

// A value the parser accepted can still hold text the writer refuses; such a value is left out.
std::optional<std::string> jsonText(const Json& value)
{
    try {
        return toJson(value);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

}

std::string diffKey(const DraftPair& pair)
{
    return std::to_string(pair[0]) + ">" + std::to_string(pair[1]);
}

std::string timelineJobText(const std::vector<std::string>& paths, const std::optional<std::vector<DraftPair>>& pairs, bool meta)
{
    Json job { { "paths", paths }, { "meta", meta } };
    if (pairs)
        job["pairs"] = *pairs;
    return toPlainJson(job);
}

std::optional<TimelineAnswer> readTimelineAnswer(const std::optional<std::string>& output)
{
    const auto parsed = output ? parseJson(*output) : std::nullopt;
    if (!parsed || !parsed->is_object())
        return std::nullopt;
    TimelineAnswer answer;
    if (const auto drafts = parsed->find("drafts"); drafts != parsed->end())
        answer.drafts = jsonText(*drafts);
    if (const auto diffs = parsed->find("diffs"); diffs != parsed->end() && diffs->is_object()) {
        for (const auto& [key, diff] : diffs->items()) {
            if (auto text = jsonText(diff))
                answer.diffs.emplace(key, std::move(*text));
        }
    }
    return answer;
}

void computeTimeline(const std::vector<std::string>& paths, const std::optional<std::vector<DraftPair>>& pairs, bool meta,
    std::function<void(TimelineAnswer)> completion, EngineRunOptions runOptions)
{
    FileSystem& files = realFileSystem();
    const std::string& folder = globals().archive;
    (void)files.createDirectories(folder);
    const std::string jobPath = joinPath(folder, ".tl-" + makeUuid() + ".json");
    if (const auto written = files.writeFile(jobPath, timelineJobText(paths, pairs, meta)); !written) {
        logLine("[ikw] draft timeline: the job was not written: " + written.message());
        (void)files.removeFile(jobPath);
        completion({});
        return;
    }
    runEngineJob(kMultiDiffJob, jobPath, [jobPath, completion = std::move(completion)](std::optional<std::string> output) {
        (void)realFileSystem().removeFile(jobPath);
        auto answer = readTimelineAnswer(output);
        if (!answer)
            logLine(output ? "[ikw] draft timeline: the diff script's answer is not a JSON object" : "[ikw] draft timeline: the diff script gave no answer");
        completion(answer ? std::move(*answer) : TimelineAnswer {});
    }, runOptions);
}

}
