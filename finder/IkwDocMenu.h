#pragma once

#include "finder/DocMenuItems.h"
#include "finder/DocumentFileServices.h"
#include "finder/IkwOpenWith.h"
#include "platform/ui/Window.h"

#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace ikw::finder {

// What the tabs' document menu runs its commands with. An empty entry leaves its command doing
// nothing (its entry still shows).
struct DocMenuServices {
    // The beep, the clipboard, the file manager, the file system, rename and duplicate.
    DocumentFileServices files;
    std::shared_ptr<IkwOpenWith> openWith;
    // The open review windows.
    std::function<std::vector<std::shared_ptr<ReviewWC>>()> windows;
    // The desktop's word processor and the (lower-case) extensions it is offered.
    std::function<std::optional<ui::DesktopApplication>()> wordAppURL;
    std::set<std::string> wordDocExts;
    std::function<void(const std::string& path)> openInWord;
    // Enters (or with `stop` leaves) the editor, the window's tab brought forward first.
    std::function<void(ReviewWC&, bool stop)> editDocument;
    std::function<void(ReviewWC&)> saveEditorDocNow;
    std::function<void(ReviewWC&)> saveEditorCopy;
    // Zips the document beside itself.
    std::function<void(ReviewWC&, const std::string& path)> compressFile;
    // Shrink PDF of the window's document.
    std::function<void(ReviewWC&)> compressPDF;
    // The online share of the reader's document (from the tab's menu).
    std::function<void(ReviewWC&)> shareOnline;
};

// The document menu of the review windows' tabs: a right-click on a tab's label shows the commands
// on the document that tab shows, above the tab's own entries. Every window gets the menu from a
// sweep over the review windows; the entries are built anew at every opening. Main thread only.
class IkwDocMenu : public std::enable_shared_from_this<IkwDocMenu> {
public:
    static std::shared_ptr<IkwDocMenu> create(DocMenuServices services);

    // Attaches now and once more half a second later (a window made just now joins the list then).
    void scheduleAttachSweep();
    // Gives every open review window without a tab menu this one.
    void attachAll();
    // The menu of the tab showing `tab`: the document's entries (when it shows an existing file),
    // a separator, and the tab's own entries. Its commands run in a later turn of the loop.
    ui::TabMenu tabMenu(const ui::WebView& tab);
    // The document's entries for the window (which may be gone) and path.
    std::vector<ui::MenuItem> items(const ReviewWC* window, const std::string& path, bool header);
    // Runs a chosen entry's command for the window the menu was built for: nothing when the window
    // has closed (for a command that needs it), the beep when the document has gone.
    void run(const ui::MenuItem& item, const std::weak_ptr<ReviewWC>& window);

private:
    explicit IkwDocMenu(DocMenuServices services) : m_services(std::move(services)) {}
    std::shared_ptr<ReviewWC> windowShowing(const ui::WebView& tab) const;
    void runTabCommand(const std::string& word, ReviewWC& window);
    bool runFileCommand(const std::string& word, const std::string& path);
    void runWindowCommand(const std::string& word, const std::string& path, ReviewWC& window);

    DocMenuServices m_services;
};

}
