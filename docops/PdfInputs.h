#pragma once

#include "platform/pdf/EditableDocument.h"

#include <optional>
#include <string>
#include <vector>

namespace ikw::docops {

// The PDFs among the paths that open, in order; the others are skipped.
std::vector<pdf::EditableDocument> openPdfs(const std::vector<std::string>& paths);
// Every page of every document, in order; the only document itself when there is one.
std::optional<pdf::EditableDocument> joinPdfs(std::vector<pdf::EditableDocument> documents);

// The PDFs among the paths that open (others are skipped), as one document: the only one itself,
// or all merged in the given order. None when none opens.
std::optional<pdf::EditableDocument> openAsOneDocument(const std::vector<std::string>& paths);

}
