#pragma once

#include "docops/FileOpHost.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// The file panels of the page operations: sheets on the window when it has one, application-modal
// otherwise. Each calls its done function exactly once, on the main thread.
namespace ikw::docops {

// PDF files to add; empty when cancelled.
void pickPDFs(FileOpHost& host, const std::string& prompt, std::function<void(std::vector<std::string>)> done);
// Where to save a new PDF; none when cancelled. A typed name without an extension gets ".pdf",
// and when a file of that name exists the user is asked before it is replaced (the panel itself
// only asked about the name as typed).
void savePanelPDF(const std::shared_ptr<FileOpHost>& host, const std::string& suggested, std::function<void(std::optional<std::string>)> done);

// The path with ".pdf" added when its name has no extension.
std::string withPdfExtension(const std::string& path);
// A folder; none when cancelled.
void chooseDir(FileOpHost& host, const std::string& prompt, std::function<void(std::optional<std::string>)> done);

}
