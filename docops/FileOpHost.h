#pragma once

#include "platform/ui/Desktop.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Window.h"
#include "review/FileStamp.h"

#include <optional>
#include <string>
#include <vector>

namespace ikw::docops {

// What the file operations need of the review window that asked for them. The window side keeps
// the window itself weakly: once it is gone, isOpen() answers false and the other calls do nothing.
// Main thread only, except isOpen(), which background work may ask.
class FileOpHost {
public:
    virtual ~FileOpHost() = default;

    virtual bool isOpen() const = 0;
    // The files and folders the window shows; the first is a reader's document.
    virtual std::vector<std::string> sourcePaths() const = 0;
    virtual bool isReader() const = 0;

    // Questions and panels attach to this window as sheets; none: they run application-modally.
    virtual ui::Window* sheetParent() const = 0;
    virtual ui::Dialogs& dialogs() = 0;
    virtual ui::Workspace& workspace() = 0;

    // Records the file's current date and size as the loaded state, so that the change poll does
    // not take the application's own write for an outside change.
    virtual void stampLoadedFile(const std::string& path) = 0;
    // The loaded state of the window's file: what the user sees.
    virtual std::optional<FileStamp> loadedStamp() const = 0;
    // Shows the file again in the window's reader: a fresh reader page for it, else a reload in
    // place.
    virtual void reloadReader(const std::string& path) = 0;
    virtual void reloadSettingsPanelIfOpen() = 0;
};

}
