#include "finder/ReaderFileActions.h"

#include "finder/CurrentDocNames.h"
#include "platform/core/Paths.h"
#include "platform/core/TaskQueue.h"
#include "platform/ui/Toolkit.h"
#include "review/ReviewWC.h"
#include "review/UrlActions.h"

#include <algorithm>

namespace ikw::finder {

namespace {

constexpr const char* kShareByEmailCommand = "shareByEmail";
constexpr const char* kRenameFailed = "if(window.__ikwRenameFail){__ikwRenameFail()}";

// The move runs on the workers; the window and its page hear of it only while they still exist.
void readerRename(const DocumentFileServices& services, ReviewWC& window, const std::string& path, const std::string& name)
{
    services.workers->post([services, path, name, weakWindow = window.weak_from_this(), weakWeb = std::weak_ptr<ui::WebView>(window.web)] {
        const PlaceResult placed = services.moveToUniqueName(path, parentPath(path), name);
        mainQueue().post([services, path, placed, weakWindow, weakWeb] {
            const auto window = weakWindow.lock();
            const auto web = weakWeb.lock();
            if (!window || window->isClosed() || !web)
                return;
            if (!placed) {
                web->evaluate(kRenameFailed);
                return;
            }
            if (window->web == web && !window->sourcePaths.empty() && window->sourcePaths.front() == path)
                followMovedDocument(services, *window, placed.path);
        });
    });
}

void duplicateFile(const DocumentFileServices& services, const std::string& path)
{
    services.workers->post([services, path] {
        const PlaceResult placed = copyToUniqueName(path, parentPath(path), copyName(lastPathComponent(path)));
        if (!placed)
            return;
        mainQueue().post([services, copy = placed.path] { services.toolkit->workspace().revealFile(copy); });
    });
}

void trashOpenFile(const DocumentFileServices& services, ReviewWC& window, const std::string& path)
{
    if (window.isClosed())
        return;
    ui::AlertContent alert;
    alert.style = ui::AlertContent::Style::Warning;
    alert.message = trashQuestion(lastPathComponent(path));
    alert.informativeText = "It goes to the system Trash and can be restored from there.";
    alert.buttons = { "Move to Trash", "Cancel" };
    services.toolkit->dialogs().alert(&window.window(), alert,
        [services, path, weak = window.weak_from_this()](const ui::AlertAnswer& answer) {
            const auto window = weak.lock();
            if (answer.button != 0 || !window || window->isClosed())
                return;
            if (!services.files->moveToTrash(path)) {
                ReviewWC::readerToast(window->web, "Couldn\u2019t move to Trash");
                return;
            }
            ReviewWC::readerToast(window->web, "Moved to Trash");
            window->closeTab();
        });
}

// The share menu where the share button sits near the page's bottom right.
void shareFile(const DocumentFileServices& services, ReviewWC& window, const std::string& path)
{
    ui::MenuResponder responder;
    responder.perform = [services, path](const ui::MenuItem& item) { shareBy(services, item.command, path); };
    ui::Window& frame = window.window();
    const ui::WindowSize size = frame.contentSize();
    frame.popUpMenu(std::make_shared<ui::Menu>(shareMenu()), std::max(size.width - 150, 0), size.height - 50, std::move(responder));
}

}

std::string trashQuestion(const std::string& fileName)
{
    return "Move \u201C" + fileName + "\u201D to the Trash?";
}

ui::Menu shareMenu()
{
    ui::MenuItem email;
    email.title = kShareByEmail;
    email.command = kShareByEmailCommand;
    return ui::Menu { .title = "Share", .items = { email } };
}

void shareBy(const DocumentFileServices& services, const std::string& command, const std::string& path)
{
    if (command != kShareByEmailCommand || !services.startProgram || !services.startProgram({ "xdg-email", "--attach", path }))
        services.toolkit->beep();
}

void registerDocumentActions(UrlActions& actions, const DocumentFileServices& services)
{
    actions.add("readerrename", [services](const UrlAction& action) {
        const auto path = checkedPagePath(action.item("path"), PathNeed::Existing);
        const auto typed = action.item("name");
        if (!path || !typed)
            return;
        if (const auto name = readerRenameName(*path, *typed))
            readerRename(services, action.window, *path, *name);
    });
    actions.add("duplicatefile", [services](const UrlAction& action) {
        if (const auto path = checkedPagePath(action.item("path"), PathNeed::Existing))
            duplicateFile(services, *path);
    });
    actions.add("trashfile", [services](const UrlAction& action) {
        if (const auto path = checkedPagePath(action.path(), PathNeed::Absolute))
            trashOpenFile(services, action.window, *path);
    });
    actions.add("getinfo", [services](const UrlAction& action) {
        if (const auto path = checkedPagePath(action.path(), PathNeed::Absolute))
            services.toolkit->workspace().showItemProperties(*path);
    });
    actions.add("share", [services](const UrlAction& action) {
        const auto path = action.path();
        if (!path)
            return;
        if (const auto existing = checkedPagePath(path, PathNeed::Existing))
            shareFile(services, action.window, *existing);
        else
            services.toolkit->beep();
    });
}

}
