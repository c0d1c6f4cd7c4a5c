#pragma once

#include "docops/FileOpHost.h"
#include "platform/ui/WebView.h"

#include <string>

namespace ikw::docops {

// A page-operation toast in the page that asked: "ikwToast(message, bad)", `bad` marking a failure.
void pageOpToast(const std::string& message, ui::WebView& web, bool bad);

// Whether `path` is the file the window shows (its first source), by real path.
bool showsFile(const FileOpHost& host, const std::string& path);

// After the application wrote the file: when it is the one the window shows, the new stamp (so
// the change poll does not reload a second time), then a reader's reload. A window that shows
// another file is left as it is.
void refreshAfterWrite(FileOpHost& host, const std::string& path);

// After the application rewrote a file in place, in this order: refreshAfterWrite, then the
// page's "ikwPageOpDone(op, path)" in `web`, without waiting for the reload.
void pageOpDone(FileOpHost& host, const std::string& operation, const std::string& path, ui::WebView& web);

// "Couldn’t update " + name.
std::string updateFailedMessage(const std::string& name);

}
