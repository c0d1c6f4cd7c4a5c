#pragma once

#include "platform/core/Json.h"

#include <string>
#include <vector>

namespace ikw::crossdoc {

// The Markdown section that lists links (records of the links store, end `a` first on each
// entry); empty for no links.
std::string linksExportMarkdown(const std::vector<Json>& links);

// The section for every link with an end in the document. Reads the links store: main thread.
std::string linksExportMarkdown(const std::string& document);

}
