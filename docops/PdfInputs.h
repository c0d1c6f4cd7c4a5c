#pragma once

#include "platform/pdf/Document.h"

#include <optional>
#include <string>
#include <vector>

namespace ikw::docops {

// The PDFs among the paths that open, in order; the others are skipped.
std::vector<pdf::Document> openPdfs(const std::vector<std::string>& paths);
// Every page of every document, in order; the only document itself when there is one.
std::optional<pdf::Document> joinPdfs(std::vector<pdf::Document> documents);

// The PDFs among the paths that open (others are skipped), as one document: the only one itself,
// or all merged in the given order. None when none opens.
std::optional<pdf::Document> openAsOneDocument(const std::vector<std::string>& paths);

}
