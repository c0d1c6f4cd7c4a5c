#include "docops/PageOpReplies.h"

#include "docops/RewriteQueue.h"
#include "platform/core/Json.h"
#include "platform/ui/PageScript.h"

namespace ikw::docops {

void pageOpToast(const std::string& message, ui::WebView& web, bool bad)
{
    web.evaluate(ui::guardedCall("ikwToast", jsQuote(message) + (bad ? ",true" : ",false")));
}

bool showsFile(const FileOpHost& host, const std::string& path)
{
    const auto sources = host.sourcePaths();
    return !sources.empty() && RewriteQueue::keyFor(sources.front()) == RewriteQueue::keyFor(path);
}

void refreshAfterWrite(FileOpHost& host, const std::string& path)
{
    if (!showsFile(host, path))
        return;
    host.stampLoadedFile(path);
    if (host.isReader())
        host.reloadReader(path);
}

void pageOpDone(FileOpHost& host, const std::string& operation, const std::string& path, ui::WebView& web)
{
    refreshAfterWrite(host, path);
    web.evaluate(ui::guardedCall("ikwPageOpDone", jsQuote(operation) + "," + jsQuote(path)));
}

std::string updateFailedMessage(const std::string& name)
{
    return "Couldn\u2019t update " + name;
}

}
