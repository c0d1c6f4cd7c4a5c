#pragma once

#include "docops/ReviewPageOps.h"
#include "library/LibraryActions.h"
#include "platform/core/FileSystem.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace ikw {
class MenuCommands;
class UrlActions;
struct UrlAction;
}

namespace ikw::legal {

inline constexpr std::string_view chooseRedactPdfMessage = "Choose a PDF to redact \u2014 text is burned out and metadata stripped, on your computer";
inline constexpr std::string_view unreadableRedactionMessage = "Could not read the redacted document.";
inline constexpr std::string_view redactNotConfirmedMessage = "Nothing was saved \u2014 your marks are still here.";
inline constexpr std::string_view redactPanelCancelledMessage = "Save cancelled \u2014 your marks are still here.";
inline constexpr std::string_view redactWriteFailedMessage = "Could not save the file.";

// The redaction page: always the application's own copy, never a per-user engine's.
std::string redactHTMLPath();
// Its address for a PDF: items `file`, `name`, `ver`, `theme`.
std::optional<std::string> redactURL(const std::string& file, const std::string& theme);

struct RedactionServices {
    library::LibraryLookup library;
    // The confirmation gate's and the save panel's dialogs, and the reveal.
    docops::PageOpServices pageOps;
    std::function<std::string()> resolvedScheme;
    // Where the copy and its sidecar are written; tests make it fail.
    FileSystem* files = &realFileSystem();
};

// Redaction windows: the PDF chooser, the window showing redact.html for a PDF, and the save of
// the page's redacted copy with its audit sidecar. Every step runs on the main thread and ends
// quietly once the page's window or view is gone. One per application.
class RedactionPages : public std::enable_shared_from_this<RedactionPages> {
public:
    explicit RedactionPages(RedactionServices services);
    RedactionPages(const RedactionPages&) = delete;
    RedactionPages& operator=(const RedactionPages&) = delete;

    // The menu command and the "redact" action: a PDF panel that blocks nothing.
    void openRedact();
    // Makes a review window (by the generated-page tab rule) the redaction window of `pdf`.
    void openRedactFile(const std::string& pdf);
    // "redactcurrent": the page for the window's own document when it is a PDF.
    void redactCurrent(const UrlAction& action);
    // "redactsave" (items `name`, `n`): reads the copy and the audit from the page, confirms, asks
    // where, writes both, reveals the copy and tells the page through ikwRedactToast.
    void redactSave(const UrlAction& action);

private:
    struct Save;
    void readAudit(std::shared_ptr<Save> save);
    void confirm(std::shared_ptr<Save> save);
    void choosePlace(std::shared_ptr<Save> save);
    void write(const std::shared_ptr<Save>& save, const std::string& path);

    RedactionServices m_services;
};

// The page actions "redact", "redactcurrent" and "redactsave"; nothing once the pages are gone.
void registerActions(UrlActions& actions, std::weak_ptr<RedactionPages> redaction);
// The menu command "openRedact:".
void registerMenuCommands(MenuCommands& commands, std::weak_ptr<RedactionPages> redaction);

}
