#include "legal/RedactionAudit.h"

#include "app/Globals.h"
#include "platform/core/Iso8601.h"
#include "platform/core/Log.h"
#include "platform/core/Paths.h"

#include <ctime>

namespace ikw::legal {

Json redactAudit(std::string_view auditText, std::int64_t regions, const std::string& savedPdf, const std::string& timestamp,
    const std::string& appVersion)
{
    Json audit = Json::object();
    if (auto parsed = parseJson(auditText); parsed && parsed->is_object())
        audit = std::move(*parsed);
    if (!audit.contains("tool"))
        audit["tool"] = redactToolName;
    audit["totalRegions"] = regions;
    audit["output"] = lastPathComponent(savedPdf);
    audit["redacted"] = timestamp;
    audit["appVersion"] = appVersion;
    return audit;
}

std::string redactAuditPath(const std::string& savedPdf)
{
    const std::string name = lastPathComponent(savedPdf);
    const std::string extension = pathExtension(name);
    const std::string stem = extension.empty() ? name : name.substr(0, name.size() - extension.size() - 1);
    return joinPath(parentPath(savedPdf), stem + ".redaction-audit.json");
}

void writeRedactAudit(const std::string& savedPdf, std::int64_t regions, std::string_view auditText, FileSystem& files)
{
    const Json audit = redactAudit(auditText, regions, savedPdf, iso8601Utc(std::time(nullptr)), globals().appInfo.shortVersion);
    const std::string path = redactAuditPath(savedPdf);
    if (const IoStatus written = files.replaceFile(path, toPrettyJson(audit)); !written)
        logLine("[ikw] redaction audit not written: " + path + ": " + written.message());
}

std::string redactSavedMessage(std::int64_t regions)
{
    if (regions < 1)
        return "Saved. Metadata stripped (no regions were marked).";
    return "Saved. Text under the " + std::to_string(regions) + " box" + (regions == 1 ? "" : "es") + " is gone and metadata is stripped.";
}

}
