#pragma once

#include "platform/core/FileSystem.h"
#include "platform/core/Json.h"

#include <cstdint>
#include <string>
#include <string_view>

// The audit sidecar written beside a redacted copy, and what the user is told after a save.
namespace ikw::legal {

inline constexpr std::string_view redactToolName = "Inkwarden Redact";

// The page's audit object (anything else counts as an empty one) with `tool` added when the key
// is absent, and `totalRegions`, `output`, `redacted` and `appVersion` set.
Json redactAudit(std::string_view auditText, std::int64_t regions, const std::string& savedPdf, const std::string& timestamp,
    const std::string& appVersion);

// "<folder>/<stem>.redaction-audit.json" beside the saved PDF.
std::string redactAuditPath(const std::string& savedPdf);

// Writes the sidecar (pretty, sorted keys) atomically; a failure is logged, never reported.
void writeRedactAudit(const std::string& savedPdf, std::int64_t regions, std::string_view auditText,
    FileSystem& files = realFileSystem());

// "Saved. Text under the 3 boxes is gone…", or the metadata-only text for fewer than one region.
std::string redactSavedMessage(std::int64_t regions);

}
