#pragma once

#include "platform/core/FileSystem.h"
#include "platform/core/Json.h"
#include "platform/ui/Dialogs.h"

#include <memory>
#include <string>
#include <vector>

namespace ikw {
class ReviewWC;
class TaskQueue;
namespace ui {
class WebView;
}
}

namespace ikw::finder {

// What the grid's file operations run on.
struct GridFileServices {
    // The application's concurrent workers for work the user waits on.
    TaskQueue* workers = nullptr;
    // The folder chooser of "movepick".
    ui::Dialogs* dialogs = nullptr;
    // The trash goes through it, so that tests can make it fail.
    FileSystem* files = &realFileSystem();
};

// Answers the grid page in `web` with "if(window.fileOpDone){try{fileOpDone(<reply>)}catch(e){}}",
// on the main queue; nothing once the view is gone.
void fmPost(const std::weak_ptr<ui::WebView>& web, const Json& reply);

// The window's file operations: each returns at once; the work runs on the workers and its one
// reply reaches the window's page through fmPost.
void fmMove(const GridFileServices& services, ReviewWC& window, std::vector<std::string> paths, std::string dest);
void fmNewFolder(const GridFileServices& services, ReviewWC& window, std::string parent, std::string name,
    std::vector<std::string> paths);
void fmTrash(const GridFileServices& services, ReviewWC& window, std::vector<std::string> paths);
void fmRename(const GridFileServices& services, ReviewWC& window, std::string path, std::string name);

// Asks for a folder and moves the items there; a cancelled panel, or a window closed meanwhile,
// answers nothing. Nothing for an empty list.
void fmPickAndMove(const GridFileServices& services, ReviewWC& window, std::vector<std::string> paths);
// The chooser "movepick" shows for `count` items.
ui::FilePanelOptions movePickPanel(std::size_t count);

}
