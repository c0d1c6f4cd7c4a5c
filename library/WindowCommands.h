#pragma once

#include "library/Openers.h"
#include "review/ReviewWindows.h"

#include <functional>
#include <optional>
#include <string>

namespace ikw::library {

// Steps of the shell and of later subsystems; an empty entry is skipped.
struct WindowCommandHooks {
    // The welcome page in a new review window, a tab of the host's window when one is given.
    std::function<void(const ui::WebView* tabbingHost)> showWelcome {};
    std::function<void()> rebuildMenu {};
    // The File History page in a mode ("recents", "open").
    std::function<void(const std::string& mode)> openHistory {};
    std::function<void(const std::string& feature)> recordUsage {};
};

// The window commands of the main menu, acting on the review window list. Main thread only.
class WindowCommands {
public:
    WindowCommands(ReviewWindows& windows, Openers& openers, ui::Dialogs& dialogs, WindowCommandHooks hooks = {});

    void newTab();
    void newWindow();
    // Every tab of the key window, through each tab's own close handling.
    void closeWholeWindow();
    // Every visible review window; panels and other windows stay.
    void closeAllWindows();
    void toggleAlwaysOnTop();
    void toggleAutoRefresh();
    // One review over the documents of the key window's tabs.
    void showTabsInLibrary();
    void toggleLibrary();
    void openConsolidated();

    // Folder and document pickers that route what was chosen.
    void pickReaderDoc();
    void pick(const std::optional<std::string>& mode);
    void addFoldersToReview();
    // A library folder of the welcome page: reviewed while it exists, else the user is told.
    void openRoot(const std::string& path);
    // Commands on the key review (nothing without one).
    void chooseFolderAgain();
    void resetFolderPref();
    void reloadReview();

private:
    // The review windows of the key window, in tab order.
    std::vector<std::shared_ptr<ReviewWC>> keyWindowTabs() const;

    ReviewWindows& m_windows;
    Openers& m_openers;
    ui::Dialogs& m_dialogs;
    WindowCommandHooks m_hooks;
};

}
