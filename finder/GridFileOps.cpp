#include "finder/GridFileOps.h"

#include "finder/GridFileWork.h"
#include "platform/core/TaskQueue.h"
#include "platform/ui/PageScript.h"
#include "platform/ui/WebView.h"
#include "review/ReviewWC.h"

namespace ikw::finder {

namespace {

// Runs `work` on the workers and posts its reply to the window's page.
template<typename Work>
void runAndReply(const GridFileServices& services, ReviewWC& window, Work work)
{
    services.workers->post([web = std::weak_ptr<ui::WebView>(window.web), work = std::move(work)] { fmPost(web, work()); });
}

}

void fmPost(const std::weak_ptr<ui::WebView>& web, const Json& reply)
{
    const std::string script = ui::guardedCall("fileOpDone", toJson(reply));
    mainQueue().post([web, script] {
        if (const auto view = web.lock())
            view->evaluate(script);
    });
}

void fmMove(const GridFileServices& services, ReviewWC& window, std::vector<std::string> paths, std::string dest)
{
    runAndReply(services, window, [paths = std::move(paths), dest = std::move(dest)] { return moveItems(paths, dest); });
}

void fmNewFolder(const GridFileServices& services, ReviewWC& window, std::string parent, std::string name,
    std::vector<std::string> paths)
{
    runAndReply(services, window, [parent = std::move(parent), name = std::move(name), paths = std::move(paths)] {
        return makeFolder(parent, name, paths);
    });
}

void fmTrash(const GridFileServices& services, ReviewWC& window, std::vector<std::string> paths)
{
    runAndReply(services, window, [paths = std::move(paths), files = services.files] { return trashItems(paths, *files); });
}

void fmRename(const GridFileServices& services, ReviewWC& window, std::string path, std::string name)
{
    runAndReply(services, window, [path = std::move(path), name = std::move(name)] { return renameItem(path, name); });
}

ui::FilePanelOptions movePickPanel(std::size_t count)
{
    ui::FilePanelOptions options;
    options.prompt = "Move Here";
    options.message = "Choose a folder to move " + std::to_string(count) + " item" + (count == 1 ? "" : "s") + " into";
    options.chooseFiles = false;
    options.chooseDirectories = true;
    options.allowsMultiple = false;
    return options;
}

void fmPickAndMove(const GridFileServices& services, ReviewWC& window, std::vector<std::string> paths)
{
    if (paths.empty())
        return;
    const ui::FilePanelOptions options = movePickPanel(paths.size());
    services.dialogs->openPanel(nullptr, options,
        [services, weak = window.weak_from_this(), paths = std::move(paths)](std::optional<std::vector<std::string>> chosen) {
            const auto window = weak.lock();
            if (!window || window->isClosed() || !chosen || chosen->empty())
                return;
            fmMove(services, *window, paths, chosen->front());
        });
}

}
