#pragma once

#include "app/Brand.h"
#include "platform/core/Json.h"

#include <string>
#include <string_view>
#include <vector>

namespace ikw {

// The four pages built into the application. Each is one self-contained HTML document (no external
// resources). The brand goes in when the process constants are built; the rest of a page's data is
// put in by the opener through the fill functions below, which know where each placeholder stands.

// Shown while the engine prepares a review; it reloads itself until the engine overwrites its file.
std::string loadingPage(const Brand& brand);
// The same page without the reload, for a window that has no file the engine could replace.
std::string loadingText(const Brand& brand);
// Question answering by the local model, with the opener's placeholders still in it.
std::string askPageTemplate(const Brand& brand);
// Page-by-page visual comparison of two PDFs, with the opener's placeholders still in it.
std::string visualDiffPageTemplate();
// Collects the two documents to compare; it has no placeholders.
std::string compareIntakePage();

// One readable document of a folder on the ask page.
struct AskPageFile {
    std::string name; // the file name
    std::string type; // its extension in upper case
};

struct AskPageScope {
    std::string path;               // the document or folder asked
    std::string name;               // its display name
    bool isFolder = false;
    std::vector<AskPageFile> files; // the listed documents (the opener caps the list)
    long long count = 0;            // readable documents in the folder, before any cap
};

std::string fillAskPage(std::string_view askTemplate, const AskPageScope& scope);
std::string fillVisualDiffPage(std::string_view visualDiffTemplate, std::string_view pathA, std::string_view pathB);

}
