#include "finder/DocumentFileServices.h"

#include "finder/CurrentDocNames.h"
#include "platform/core/Paths.h"
#include "platform/core/TaskQueue.h"
#include "platform/ui/Toolkit.h"
#include "review/ReviewWC.h"
#include "review/UrlQuery.h"

#include <sys/stat.h>

namespace ikw::finder {

namespace {

bool somethingAt(const std::string& path)
{
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

bool stillShows(const ReviewWC& window, const std::string& path)
{
    return !window.isClosed() && !window.sourcePaths.empty() && window.sourcePaths.front() == path;
}

}

void followMovedDocument(const DocumentFileServices& services, ReviewWC& window, const std::string& target)
{
    const std::string previous = window.sourcePaths.empty() ? std::string() : window.sourcePaths.front();
    const std::string name = lastPathComponent(target);
    window.sourcePaths = { target };
    window.representFile(target);
    window.window().setTabTitle(*window.web, name);
    if (window.window().tab(window.window().selectedTab()) == window.web)
        window.window().setTitle(name);
    if (!window.isReader || !services.readerURL)
        return;
    // A converted or annotated copy is still what the page shows; the document itself moved.
    const auto shown = urlQuery(window.web->url(), "pdf");
    const std::string pdf = shown && !shown->empty() && *shown != previous ? *shown : target;
    if (const auto url = services.readerURL(pdf, target))
        window.web->loadUrl(*url);
}

void renameDoc(const DocumentFileServices& services, ReviewWC& window)
{
    if (window.isClosed() || window.sourcePaths.empty() || !services.files->exists(window.sourcePaths.front()))
        return;
    const std::string path = window.sourcePaths.front();
    const std::string name = lastPathComponent(path);
    ui::AlertContent alert;
    alert.message = "Rename \u201C" + name + "\u201D";
    alert.informativeText = "The file stays in its folder; this window follows the new name.";
    alert.buttons = { "Rename", "Cancel" };
    alert.textFields = { { .text = name } };
    services.toolkit->dialogs().alert(&window.window(), alert,
        [services, weak = window.weak_from_this(), path](const ui::AlertAnswer& answer) {
            const auto target = weak.lock();
            if (answer.button != 0 || answer.fieldTexts.empty() || !target || !stillShows(*target, path))
                return;
            const auto newName = dialogRenameName(path, answer.fieldTexts.front());
            if (!newName)
                return;
            const std::string destination = joinPath(parentPath(path), *newName);
            if (somethingAt(destination) || !services.moveWithoutReplacing(path, destination)) {
                services.toolkit->beep();
                return;
            }
            followMovedDocument(services, *target, destination);
        });
}

void duplicatePath(const DocumentFileServices& services, const std::string& path)
{
    const auto destination = menuCopyPath(path);
    if (!destination) {
        services.toolkit->beep();
        return;
    }
    // A large document is copied off the main thread; the answer comes back to it.
    services.workers->post([services, path, destination = *destination] {
        const PlaceResult placed = copyWithoutReplacing(path, destination);
        mainQueue().post([services, placed] {
            if (placed)
                services.toolkit->workspace().revealFile(placed.path);
            else
                services.toolkit->beep();
        });
    });
}

}
