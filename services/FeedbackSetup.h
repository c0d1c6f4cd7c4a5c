#pragma once

#include "app/Globals.h"

#include <string>
#include <string_view>

namespace ikw::services {

// The feedback service's key for this application's reports.
inline constexpr std::string_view kFeedbackIngestKey = "a3f19c0e7b5d24681fe0c9b3d7a26e5f80c41b9d";

// The service's name for an application id: "inkwarden" or "culmora-photos"; "" for any other id,
// which keeps feedback switched off.
std::string feedbackAppKey(std::string_view applicationId);

// The launch step that configures the feedback client, once, on the main thread: its app key, no
// screenshot by default, the ingest key, the product's name and, when it parses, the brand's accent.
void setupFeedback(const Globals& globals);

}
