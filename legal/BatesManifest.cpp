#include "legal/BatesManifest.h"

#include "platform/core/Json.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace ikw::legal::BatesStamper {

namespace {

// The templates for arrays and fields below call these for every record type.
Json encode(const ManifestRun& run);
bool decode(const Json& json, ManifestSettings& out);
bool decode(const Json& json, ManifestDoc& out);
bool decode(const Json& json, AssignedRange& out);
bool decode(const Json& json, ManifestRun& out);
template<typename Record>
bool decode(const Json& json, std::vector<Record>& out);

// Encoding: one Json object per record; nlohmann objects keep their keys sorted.

Json encode(const ManifestSettings& settings)
{
    return {
        { "prefix", settings.prefix },
        { "start", settings.start },
        { "pad", settings.pad },
        { "position", settings.position },
        { "fontSize", settings.fontSize },
        { "margin", settings.margin },
        { "nameByBates", settings.nameByBates },
    };
}

Json encode(const ManifestDoc& doc)
{
    return {
        { "source", doc.source },
        { "output", doc.output },
        { "pages", doc.pages },
        { "begin", doc.begin },
        { "end", doc.end },
        { "beginLabel", doc.beginLabel },
        { "endLabel", doc.endLabel },
    };
}

Json encode(const AssignedRange& range)
{
    return { { "begin", range.begin }, { "end", range.end }, { "timestamp", range.timestamp } };
}

template<typename Record>
Json encode(const std::vector<Record>& records)
{
    Json array = Json::array();
    for (const Record& record : records)
        array.push_back(encode(record));
    return array;
}

Json encode(const ManifestRun& run)
{
    return {
        { "timestamp", run.timestamp },
        { "settings", encode(run.settings) },
        { "settingsHash", run.settingsHash },
        { "documents", encode(run.documents) },
        { "begin", run.begin },
        { "end", run.end },
        { "beginLabel", run.beginLabel },
        { "endLabel", run.endLabel },
    };
}

// Decoding: each `decode` fills its value and says whether the JSON had exactly the right type.

bool decode(const Json& json, std::string& out)
{
    if (!json.is_string())
        return false;
    out = json.get<std::string>();
    return true;
}

bool decode(const Json& json, bool& out)
{
    if (!json.is_boolean())
        return false;
    out = json.get<bool>();
    return true;
}

// Whole numbers only: 10 and 10.0 read as 10, 10.5 does not read.
bool decode(const Json& json, std::int64_t& out)
{
    if (json.is_number_unsigned()) {
        const auto value = json.get<std::uint64_t>();
        if (value > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()))
            return false;
        out = static_cast<std::int64_t>(value);
        return true;
    }
    if (json.is_number_integer()) {
        out = json.get<std::int64_t>();
        return true;
    }
    if (json.is_number_float()) {
        const double value = json.get<double>();
        constexpr double limit = 9223372036854775808.0; // 2^63
        if (value != std::trunc(value) || value < -limit || value >= limit)
            return false;
        out = static_cast<std::int64_t>(value);
        return true;
    }
    return false;
}

bool decode(const Json& json, std::map<std::string, std::string>& out)
{
    if (!json.is_object())
        return false;
    for (const auto& [key, value] : json.items()) {
        if (!decode(value, out[key]))
            return false;
    }
    return true;
}

template<typename Value>
bool field(const Json& object, const char* key, Value& out)
{
    const auto found = object.find(key);
    return found != object.end() && decode(*found, out);
}

bool decode(const Json& json, ManifestSettings& out)
{
    return json.is_object() && field(json, "prefix", out.prefix) && field(json, "start", out.start)
        && field(json, "pad", out.pad) && field(json, "position", out.position)
        && field(json, "fontSize", out.fontSize) && field(json, "margin", out.margin)
        && field(json, "nameByBates", out.nameByBates);
}

bool decode(const Json& json, ManifestDoc& out)
{
    return json.is_object() && field(json, "source", out.source) && field(json, "output", out.output)
        && field(json, "pages", out.pages) && field(json, "begin", out.begin) && field(json, "end", out.end)
        && field(json, "beginLabel", out.beginLabel) && field(json, "endLabel", out.endLabel);
}

bool decode(const Json& json, AssignedRange& out)
{
    return json.is_object() && field(json, "begin", out.begin) && field(json, "end", out.end)
        && field(json, "timestamp", out.timestamp);
}

template<typename Record>
bool decode(const Json& json, std::vector<Record>& out)
{
    if (!json.is_array())
        return false;
    out.resize(json.size());
    for (std::size_t i = 0; i < json.size(); ++i) {
        if (!decode(json[i], out[i]))
            return false;
    }
    return true;
}

bool decode(const Json& json, ManifestRun& out)
{
    return json.is_object() && field(json, "timestamp", out.timestamp) && field(json, "settings", out.settings)
        && field(json, "settingsHash", out.settingsHash) && field(json, "documents", out.documents)
        && field(json, "begin", out.begin) && field(json, "end", out.end)
        && field(json, "beginLabel", out.beginLabel) && field(json, "endLabel", out.endLabel);
}

bool decode(const Json& json, Manifest& out)
{
    return json.is_object() && field(json, "tool", out.tool) && field(json, "schema", out.schema)
        && field(json, "runs", out.runs) && field(json, "assigned", out.assigned)
        && field(json, "sources", out.sources) && field(json, "nextNumber", out.nextNumber);
}

}

ManifestSettings ManifestSettings::from(const BatesConfig& config)
{
    return {
        .prefix = config.prefix,
        .start = config.start,
        .pad = config.pad,
        .position = std::string(rawValue(config.position)),
        .fontSize = wholePoints(config.fontSize),
        .margin = wholePoints(config.margin),
        .nameByBates = config.nameByBates,
    };
}

std::string encodeManifest(const Manifest& manifest)
{
    const Json json = {
        { "tool", manifest.tool },
        { "schema", manifest.schema },
        { "runs", encode(manifest.runs) },
        { "assigned", encode(manifest.assigned) },
        { "sources", Json(manifest.sources) },
        { "nextNumber", manifest.nextNumber },
    };
    return toPrettyJson(json) + "\n";
}

std::optional<Manifest> decodeManifest(std::string_view text)
{
    const std::optional<Json> json = parseJson(text);
    Manifest manifest;
    if (!json || !decode(*json, manifest))
        return std::nullopt;
    return manifest;
}

std::string manifestPath(std::string_view dir)
{
    return std::string(dir) + "/" + std::string(manifestName);
}

LoadedManifest loadManifest(std::string_view dir, const FileSystem& files)
{
    const std::string path = manifestPath(dir);
    const std::optional<std::string> text = files.readFile(path);
    if (!text)
        return { files.exists(path) ? ManifestStatus::unreadable : ManifestStatus::missing, {} };
    std::optional<Manifest> manifest = decodeManifest(*text);
    if (!manifest)
        return { ManifestStatus::unreadable, {} };
    return { ManifestStatus::loaded, std::move(*manifest) };
}

IoStatus writeManifest(const Manifest& manifest, std::string_view dir, FileSystem& files)
{
    return files.replaceFile(manifestPath(dir), encodeManifest(manifest));
}

void recordRun(Manifest& manifest, const BatesConfig& config, std::vector<ManifestDoc> documents, std::string timestamp)
{
    if (documents.empty())
        return;
    const ManifestDoc& first = documents.front();
    const ManifestDoc& last = documents.back();
    ManifestRun run {
        .timestamp = timestamp,
        .settings = ManifestSettings::from(config),
        .settingsHash = config.settingsHash(),
        .documents = {},
        .begin = first.begin,
        .end = last.end,
        .beginLabel = first.beginLabel,
        .endLabel = last.endLabel,
    };
    run.documents = std::move(documents);
    manifest.assigned.push_back({ run.begin, run.end, std::move(timestamp) });
    manifest.nextNumber = run.end + 1;
    manifest.runs.push_back(std::move(run));
}

std::optional<std::int64_t> greatestAssignedEnd(const Manifest& manifest)
{
    if (manifest.assigned.empty())
        return std::nullopt;
    return std::ranges::max_element(manifest.assigned, {}, &AssignedRange::end)->end;
}

}
