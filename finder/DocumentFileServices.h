#pragma once

#include "platform/core/FileMoves.h"
#include "platform/core/FileSystem.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ikw {
class ReviewWC;
class TaskQueue;
namespace ui {
class Toolkit;
}
}

namespace ikw::finder {

// What the file actions on a window's document run on. The moves, the trash and the program start
// are replaceable so that tests can make them fail or see them.
struct DocumentFileServices {
    // The application's concurrent workers for work the user waits on.
    TaskQueue* workers = nullptr;
    // Alerts, the beep, the clipboard and the file manager.
    ui::Toolkit* toolkit = nullptr;
    FileSystem* files = &realFileSystem();
    std::function<PlaceResult(const std::string& from, std::string_view folder, std::string_view name)> moveToUniqueName =
        [](const std::string& from, std::string_view folder, std::string_view name) { return ikw::moveToUniqueName(from, folder, name); };
    std::function<PlaceResult(const std::string& from, const std::string& to)> moveWithoutReplacing =
        [](const std::string& from, const std::string& to) { return ikw::moveWithoutReplacing(from, to); };
    // The reader page showing `pdf` for the document `document`; nothing when there is none.
    std::function<std::optional<std::string>(const std::string& pdf, const std::string& document)> readerURL;
    // Starts a desktop program with these arguments (argv[0] a name on PATH); whether it started.
    std::function<bool(const std::vector<std::string>& argv)> startProgram;
};

// The window shows `target` now, where its document was moved: its source, title, tab title,
// represented file and, for a reader, its page (which keeps showing the PDF it showed when that
// was a converted copy, and shows the moved file itself otherwise).
void followMovedDocument(const DocumentFileServices& services, ReviewWC& window, const std::string& target);

// The rename dialog for the window's document (the menu's "Rename…" and the tab's document menu).
void renameDoc(const DocumentFileServices& services, ReviewWC& window);

// A copy of the file beside it, named "stem copy.ext", "stem copy 2.ext", ... up to 200 names,
// shown in the file manager; the beep when it cannot be made.
void duplicatePath(const DocumentFileServices& services, const std::string& path);

}
