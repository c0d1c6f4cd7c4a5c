#pragma once

#include "docops/FileOpHost.h"
#include "platform/ui/WebView.h"

#include <string>

namespace ikw::docops {

// A page-operation toast in the page that asked: "ikwToast(message, bad)", `bad` marking a failure.
void pageOpToast(const std::string& message, ui::WebView& web, bool bad);

// After the application wrote over the window's file: the new stamp (so the change poll does not
// reload a second time), then a reader's reload.
void refreshAfterWrite(FileOpHost& host, const std::string& path);

// After the application rewrote the window's file, in this order: the new stamp (so the change
// poll does not reload a second time), a reader's reload, then the page's "ikwPageOpDone(op, path)"
// in `web`, without waiting for the reload.
void pageOpDone(FileOpHost& host, const std::string& operation, const std::string& path, ui::WebView& web);

// "Couldn’t update " + name.
std::string updateFailedMessage(const std::string& name);

}
